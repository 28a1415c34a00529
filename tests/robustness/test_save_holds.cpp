// Saves over a file that a handle holds, and the files that ended saves
// left beside their target, on every platform.
#include "robustness/Saves.h"

#include <gtest/gtest.h>

namespace {

using namespace filekit_test;

DWORD ShareMode(const std::string& text)
{
    static const std::map<std::string, DWORD> bits = {
        {"0", 0}, {"READ", FILE_SHARE_READ}, {"WRITE", FILE_SHARE_WRITE}, {"DELETE", FILE_SHARE_DELETE}};
    DWORD share = 0;
    for (size_t start = 0; start <= text.size();) {
        const size_t bar = std::min(text.find('|', start), text.size());
        share |= bits.at(text.substr(start, bar - start));
        start = bar + 1;
    }
    return share;
}

HANDLE Hold(const std::string& path, DWORD access, DWORD share)
{
    return CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(SaveHolds, Table)
{
    const std::vector<TableRow> rows = ReadTable("save_holds.txt");
    ASSERT_FALSE(rows.empty());
    for (const TableRow& row : rows) {
        SCOPED_TRACE(row.line);
        SavedDocument doc(row.given[0] == "xml-save" ? "xml" : "ini");
        TempDir dir;
        const std::string path = dir.Path("target");
        WriteBytes(path, "old");
        if (row.given[0] == "leftover") {
            const std::string leftover = dir.Path(row.given[1]);
            WriteBytes(leftover, "left");
            const HANDLE held = row.given.size() > 2 ? Hold(leftover, GENERIC_WRITE, 0) : INVALID_HANDLE_VALUE;
            EXPECT_EQ(doc.Save(path), 1);
            EXPECT_EQ(Exists(leftover) ? "kept" : "removed", row.expected[0]);
            CloseHandle(held);
            continue;
        }
        const HANDLE held = Hold(path, GENERIC_READ, ShareMode(row.given[1].substr(row.given[1].find('=') + 1)));
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        SetLastError(kUntouchedError);
        const int result = doc.Save(path);
        const DWORD error = GetLastError();
        CloseHandle(held);
        const std::string content = ReadBytes(path);
        EXPECT_EQ(std::to_string(result) + " " + (content == "old" ? "old" : "new") + " " + ErrorName(error),
                  row.expected[0] + " " + row.expected[1] + " " + row.expected[2]);
    }
}

}  // namespace
