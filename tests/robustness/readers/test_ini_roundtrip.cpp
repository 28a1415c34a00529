// Real INI files from Debian packages (tests/data/roundtrip/ini, origins in
// SOURCES.md): each is opened and saved unchanged. The saved bytes equal the
// file's, or, where the format itself drops something (text above the first
// header, comments after the last key, spaces around '='), the bytes of the
// ".expected" file beside it; and the saved file reads back to the same
// model either way, but for the files MODEL-CHANGES.txt lists with the
// reason.
#include "robustness/readers/ReaderData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace filekit_test;

// The sample files: every file of the folder but the notes and the
// expected results.
std::vector<std::string> SampleNames()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath("roundtrip/ini"))) {
        const std::string name = entry.path().filename().string();
        const std::filesystem::path extension = entry.path().extension();
        if (name[0] == '.' || extension == ".expected" || extension == ".md" || extension == ".txt") continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(IniRoundTrip, RealFilesSaveUnchanged)
{
    const std::vector<std::string> names = SampleNames();
    ASSERT_GE(names.size(), 20u);
    const std::string modelChangeList = "\n" + ReadBytes(DataPath("roundtrip/ini/MODEL-CHANGES.txt"));
    TempDir dir;
    for (const std::string& name : names) {
        const std::string path = DataPath("roundtrip/ini/" + name);
        const std::string expectedPath = path + ".expected";
        CINIFile original;
        ASSERT_EQ(original.Open(path.c_str()), 1) << name;
        const std::string model = Dump(original);
        EXPECT_NE(model, "") << name;
        ASSERT_EQ(original.Save(dir.Path(name).c_str()), 1) << name;
        const std::string saved = ReadBytes(dir.Path(name));
        EXPECT_EQ(saved, ReadBytes(Exists(expectedPath) ? expectedPath : path)) << name;

        CINIFile reread;
        ASSERT_EQ(reread.Open(dir.Path(name).c_str()), 1) << name;
        const bool modelChanges = modelChangeList.find("\n" + name + "\n") != std::string::npos;
        EXPECT_EQ(Dump(reread) == model, !modelChanges) << name;
    }
}

}  // namespace
