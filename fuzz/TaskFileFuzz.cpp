// libFuzzer target for the task file reader: any bytes must parse or be
// refused without crashing, hanging or leaking, and whatever parses must save
// and read back to the same text.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstdlib>

#include "model/TaskFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    kolva::TaskList list;
    if (!kolva::parseTaskFile(bytes, list))
        return 0;
    const QString text = kolva::taskFileText(list);
    QByteArray again("\xFF\xFE", 2);
    again.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    kolva::TaskList back;
    if (!kolva::parseTaskFile(again, back))
        std::abort();  // our own output must always read back
    // What we write is stable: writing what we read back gives the same text
    // (characters XML cannot hold are dropped by the first write).
    if (kolva::taskFileText(back) != text)
        std::abort();
    return 0;
}
