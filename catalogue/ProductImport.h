#pragma once
// The product import: every row of a workbook's sheet "tavlin" appended to sp of a chosen shop
// database, all of them or none. No widgets; the import window and posdb both run it.

#include <QString>
#include <functional>

#include "catalogue/ImportSheet.h"

struct ImportOutcome {
    enum class Status { Imported, MissingPath, NoDatabase, Failed, Cancelled };
    Status status = Status::Failed;
    int added = 0;   // products appended
    QString detail;  // why it failed: the row, the column and the reason, or the reader's or engine's
};

// 0..100 now and then; returning false cancels, and nothing is appended.
using ImportProgress = std::function<bool(int percent)>;

// Opens the database (an existing shop database only; nothing is written to any other file),
// reads and converts every row, then inserts them in one transaction.
ImportOutcome ImportProducts(const QString& workbookPath, const QString& databasePath,
                             const ImportProgress& progress = {});

// The text shown for an outcome: the fixed first line and, on failure, the detail below it.
QString ImportMessage(const ImportOutcome& outcome);

// Either kind of workbook, told apart by its first bytes rather than its name.
SheetRead ReadWorkbook(const QString& path, const SheetProgress& progress = {});
