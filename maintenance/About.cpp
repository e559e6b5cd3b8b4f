#include "maintenance/About.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include "common/Maker.h"
#include "toolkit/Desktop.h"
#include "toolkit/Pictures.h"
#include "toolkit/UpgradeKey.h"

namespace {

QFont SongFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// An address that opens when clicked, drawn the way a web link is.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& address, QUrl url, QWidget* parent)
        : QLabel(address, parent), m_url(std::move(url)) {
        QFont underlined = font();
        underlined.setUnderline(true);
        setFont(underlined);
        setCursor(Qt::PointingHandCursor);
        setObjectName(QStringLiteral("link"));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            OpenAddress(m_url, text());
    }

private:
    QUrl m_url;
};

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于软件..."));
    setFixedSize(387, 163);
    setFont(SongFont(14));
    // The picture stays readable under every skin.
    setStyleSheet(
        QStringLiteral("QLabel { color: #000000; background: transparent; }"
                       "QLabel#link { color: #0b3d91; }"));
    m_picture = SkyBackdrop(size());

    auto* icon = new QLabel(this);
    icon->setGeometry(16, 14, 32, 32);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    auto* title = new QLabel(QStringLiteral("《晨岚POS收银软件》"), this);
    title->setFont(SongFont(14, true));
    title->setGeometry(60, 19, 300, 22);

    m_email = AddLink(QStringLiteral("Email："), QString::fromUtf8(kMakerEmail), 62);
    m_web = AddLink(QStringLiteral("网 站："), QLatin1String(kMakerWebAddress), 90);

    m_ok = new QPushButton(QStringLiteral("确 定"), this);
    m_ok->setGeometry(296, 122, 75, 28);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}

QLabel* TAboutBox::AddLink(const QString& caption, const QString& address, int y) {
    auto* label = new QLabel(caption, this);
    label->setGeometry(60, y, 52, 20);
    const QUrl url = caption.startsWith(QLatin1String("Email")) ? QUrl(QStringLiteral("mailto:") + address)
                                                                : QUrl(QLatin1String(kMakerWebUrl));
    auto* link = new LinkLabel(address, url, this);
    link->setGeometry(112, y, link->sizeHint().width(), 20);
    return link;
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TAboutBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

UpgradeSettings ProgramUpgradeSettings() {
    UpgradeSettings settings;
    settings.infoUrl = QUrl(QLatin1String(kMakerUpdateInfoUrl));
    settings.programPath = QCoreApplication::applicationFilePath();
    settings.currentVersion = QLatin1String(kVersionDate);
    settings.publicKey = QByteArray::fromBase64(kUpgradePublicKey);
    return settings;
}

void ConnectSupportMenu(QMenu* supportMenu, TAboutBox* about, Upgrader* upgrader) {
    auto* upgrade = supportMenu->findChild<QAction*>(QStringLiteral("upgradeAction"));
    auto* showAbout = supportMenu->findChild<QAction*>(QStringLiteral("aboutAction"));
    QObject::connect(upgrade, &QAction::triggered, upgrader, [upgrader] { upgrader->Check(); });
    QObject::connect(upgrader, &Upgrader::BusyChanged, upgrade,
                     [upgrade](bool busy) { upgrade->setEnabled(!busy); });
    QObject::connect(showAbout, &QAction::triggered, about, [about] { about->exec(); });
}
