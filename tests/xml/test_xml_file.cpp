// CXMLFile and CVersionableXMLFile: the open, prepare and save pattern with
// its hooks, the open flag, the paths written, and the version attribute.
#include <filekit/XMLFile.h>

#include "XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using filekit_test::Exists;
using filekit_test::ReadBytes;
using filekit_test::TempDir;
using filekit_test::WriteBytes;
using xml_test::Results;

// Records its hook calls: LoadData with the file's and the wrapper's open
// flags and the root element it sees, whose version it reads; SaveData
// builds a root element with the version and two items.
class RecordingFile : public CVersionableXMLFile {
public:
    std::string calls;
    int loadResult = 1, saveResult = 1;
    int openOverride = -1;  // -1: CXMLFile's own IsOpen

    int IsOpen() override { return openOverride < 0 ? CXMLFile::IsOpen() : openOverride; }
    int WrapperOpen() { return m_XMLParser.IsOpen(); }
    int CloseWrapper() { return m_XMLParser.Close(); }
    std::string Path() const { return std::string(m_strFile); }
    using CVersionableXMLFile::LoadVersion, CVersionableXMLFile::SaveVersion;
    std::string Root()
    {
        XMLSDK::CXMLNode root;
        m_XMLParser.GetRootNode("root", &root);
        return xml_test::Text(root);
    }

protected:
    int LoadData() override
    {
        XMLSDK::CXMLNode root;
        m_XMLParser.GetRootNode("root", &root);
        LoadVersion(root);
        calls += "load" + std::to_string(m_bOpen) + std::to_string(m_XMLParser.IsOpen()) + Root() + " ";
        return loadResult;
    }
    int SaveData() override
    {
        calls += "save ";
        XMLSDK::CXMLNode root;
        m_XMLParser.CreateRootNode("root", &root);
        SaveVersion(root);
        for (const char* item : {"a", "b"}) CXMLParserWrapper::AddNewNode(root, "item", item, nullptr);
        return saveResult;
    }
};

// What saving writes, each LF stored as the platform's line end.
const std::string kSaved = filekit_test::StoredText(
    "<?xml version=\"1.0\"?>\n<root version=\"2.0\">\n\t<item>a</item>\n\t<item>b</item>\n</root>\n");
const std::string kEmptySaved = filekit_test::StoredText("<?xml version=\"1.0\"?>\n");

TEST(XMLFile, CreateWritesANewFileOnlyWhenSaved)
{
    TempDir dir;
    const std::string path = dir.Path("new.xml");
    {
        RecordingFile file;
        EXPECT_EQ(
            Results({file.Open(path.c_str(), 1), file.Open(path.c_str(), 1), file.Open(path.c_str(), 0), Exists(path)}),
            "1000");
        ASSERT_EQ(file.Save(), 1);  // without PrepareData: the empty new document
        EXPECT_EQ(file.calls + ReadBytes(path), kEmptySaved);
        file.SetVersion("2.0");
        ASSERT_EQ(Results({file.PrepareData(), file.PrepareData(), file.Save()}), "111");
        EXPECT_EQ(file.calls, "save save ");
    }
    EXPECT_EQ(ReadBytes(path), kSaved);
}

TEST(XMLFile, LoadDataSeesTheWrapperOpenAndCanRefuse)
{
    TempDir dir;
    const std::string path = dir.Path("in.xml");
    WriteBytes(path, "<root version='3'><item>x</item></root>");
    RecordingFile file;
    file.loadResult = 0;
    EXPECT_EQ(Results({file.Open(path.c_str(), 0), file.IsOpen(), file.WrapperOpen()}), "000");
    EXPECT_EQ(file.Path(), "");
    file.loadResult = 1;
    ASSERT_EQ(file.Open(path.c_str(), 0), 1);
    EXPECT_EQ(file.calls + std::string(file.GetVersion()) + " " + file.Path(),
              "load01<root version=\"3\"><item>x</item></root> load01<root version=\"3\"><item>x</item></root> 3 " +
                  path);
    file.loadResult = 0;  // no LoadData when creating; a refused open keeps the earlier path
    EXPECT_EQ(
        Results({file.Close(), file.Open(dir.Path("other.xml").c_str(), 1), file.Close(), file.Open(path.c_str(), 0)}),
        "1110");
    EXPECT_EQ(file.Path(), dir.Path("other.xml"));
}

TEST(XMLFile, SavePathsAndWhatIsWritten)
{
    TempDir dir;
    const std::string path = dir.Path("in.xml"), other = dir.Path("other.xml");
    const std::string original = "<root><item>x</item><!-- c --></root>";
    WriteBytes(path, original);
    {
        RecordingFile file;
        ASSERT_EQ(Results({file.Open(path.c_str(), 0), file.Save(other.c_str())}), "11");  // the document as read
        EXPECT_EQ(ReadBytes(other),
                  filekit_test::StoredText("<?xml version=\"1.0\"?>\n<root>\n\t<item>x</item>\n</root>\n"));
        file.SetVersion("2.0");
        ASSERT_EQ(file.PrepareData(), 1);
        EXPECT_EQ(ReadBytes(path), original);  // nothing written before Save
        ASSERT_EQ(file.Save() + file.Save(other.c_str()), 2);
        EXPECT_EQ(ReadBytes(path) + file.Path(), kSaved + path);
        file.saveResult = 0;
        EXPECT_EQ(Results({file.PrepareData(), file.IsOpen(), file.Save(dir.Path("no/such/dir.xml").c_str())}), "010");
    }
    EXPECT_EQ(ReadBytes(path) + ReadBytes(other), kSaved + kSaved);  // destroying wrote nothing
}

TEST(XMLFile, DefaultHooksAndGuardsThroughTheVirtualTable)
{
    TempDir dir;
    const std::string path = dir.Path("in.xml");
    WriteBytes(path, "<root><item>x</item></root>");
    CXMLFile plain;
    ASSERT_EQ(Results({plain.Open(path.c_str(), 0), plain.PrepareData(), plain.Save()}), "111");
    EXPECT_EQ(ReadBytes(path), kEmptySaved);  // the default SaveData leaves the document empty

    RecordingFile file;
    EXPECT_EQ(Results({file.IsOpen(), file.Close(), file.PrepareData(), file.Save(), file.Save(path.c_str())}),
              "00000");
    EXPECT_EQ(file.calls + file.Path() + std::string(file.GetVersion()), "");
    ASSERT_EQ(file.Open(path.c_str(), 1), 1);
    file.openOverride = 0;
    EXPECT_EQ(Results({file.Close(), file.PrepareData(), file.Save(), file.Save(path.c_str())}), "0000");
    file.openOverride = 1;
    EXPECT_EQ(file.Open(path.c_str(), 1), 0);
    file.openOverride = -1;
    // The wrapper closed behind the file's back: Close fails, the file stays open, Save fails.
    EXPECT_EQ(Results({file.CloseWrapper(), file.Close(), file.IsOpen(), file.Save()}), "1010");
}

TEST(VersionableXMLFile, VersionAttribute)
{
    RecordingFile file;
    XMLSDK::CXMLNode empty, root;
    xml_test::Wrapper wrapper;
    file.SetVersion("kept");
    ASSERT_EQ(Results({wrapper.Open(), wrapper.CreateRootNode("root", &root)}), "11");
    EXPECT_EQ(Results({file.LoadVersion(empty), file.SaveVersion(empty),
                       file.LoadVersion(root),  // no attribute: the version stays
                       file.SaveVersion(root), file.SaveVersion(root)}),
              "00011");
    EXPECT_EQ(std::string(file.GetVersion()) + wrapper.Text(), "kept<root version=\"kept\"/>");
    file.SetVersion("");
    EXPECT_EQ(file.LoadVersion(root), 1);
    EXPECT_EQ(file.GetVersion(), "kept");
}

TEST(VersionableXMLFile, CopiesTakePathFlagVersionAndADuplicateDocument)
{
    TempDir dir;
    const std::string path = dir.Path("in.xml");
    WriteBytes(path, "<root version='7'><item>x</item></root>");
    RecordingFile file, closed;
    ASSERT_EQ(file.Open(path.c_str(), 0), 1);
    RecordingFile copy(file);
    EXPECT_EQ(copy.Path() + std::to_string(copy.IsOpen()) + std::string(copy.GetVersion()) + copy.Root(),
              path + "17<root version=\"7\"><item>x</item></root>");
    copy.SetVersion("2.0");
    ASSERT_EQ(copy.PrepareData(), 1);
    EXPECT_EQ(file.Root(), "<root version=\"7\"><item>x</item></root>");
    copy = closed;
    EXPECT_EQ(Results({copy.IsOpen(), copy.Close(), file.Close()}), "001");
}

}  // namespace
