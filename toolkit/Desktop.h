#pragma once
// Handing an address to the desktop: the browser for a web address, the mail program for mailto.

class QString;
class QUrl;

// Opens the address; when the desktop cannot, says "无法打开：<shown>" and gives false.
bool OpenAddress(const QUrl& url, const QString& shown);
