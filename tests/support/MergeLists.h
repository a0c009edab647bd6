#pragma once
// The merge list the tests of merge jobs share, saved as a spreadsheet in
// Japan saves one.
#include "TestFiles.h"
#include "base/CodePage932.h"

#include <QByteArray>
#include <QString>

namespace MergeLists {

// Three people under 番号, 氏名 and 役職, in code page 932 with CR LF: the
// third's name holds a comma (quoted) and its last field is empty.
inline QByteArray people()
{
    return CodePage932::encode(
        QStringLiteral("番号,氏名,役職\r\n1,山田 太郎,部長\r\n2,佐藤 花子,課長\r\n3,\"鈴木, 一郎\",\r\n"));
}
constexpr int PeopleRows = 3;

inline bool writePeople(const QString &path) { return TestFiles::writeFile(path, people()); }

}   // namespace MergeLists
