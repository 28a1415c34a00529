// CBinaryFile and CTextFile objects driven by the call scripts in
// tests/data/files/scripts: the Win32 steps, plus steps on named objects
// of either class (format in tests/data/README.md).
#include "FileProbes.h"
#include "support/Win32Script.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace filekit_test;

class FileInterpreter : public Interpreter {
protected:
    std::string More(const std::vector<std::string>& w) override
    {
        if (w[0] == "binary") return m_binary[w[1]] = std::make_unique<BinaryProbe>(), "";
        if (w[0] == "text") return m_text[w[1]] = std::make_unique<TextProbe>(), "";
#ifndef _WIN32
        if (w[0] == "exhaust-descriptors") return Exhaust(), "";
        if (w[0] == "restore-descriptors") return Restore(), "";
#endif
        const std::string& object = w.size() > 2 && w[0] == "copy" ? w[2] : w.at(1);
        return m_binary.count(object) ? On(m_binary, w) : m_text.count(object) ? On(m_text, w) : "unknown step " + w[0];
    }

private:
    int OpenFile(BinaryProbe& f, const std::vector<std::string>& w)
    {
        return f.Open(Path(w[2]).c_str(), Value(w[3]), Share(w[4]), Value(w[5]), FILE_ATTRIBUTE_NORMAL);
    }
    int OpenFile(TextProbe& f, const std::vector<std::string>& w)
    {
        return f.Open(Path(w[2]).c_str(), w[3] == "write");
    }

    template <class Probe>
    std::string On(std::map<std::string, std::unique_ptr<Probe>>& objects, const std::vector<std::string>& w)
    {
        const std::string& op = w[0];
        if (op == "copy") return objects[w[1]] = std::make_unique<Probe>(*objects.at(w[2])), "";
        if (op == "delete") return objects.erase(w[1]), "";
        Probe& f = *objects.at(w[1]);
        if (op == "assign") return f = *objects.at(w[2]), "";
        if (op == "open-file") return std::to_string(OpenFile(f, w));
        if (op == "write-file") return std::to_string(f.Write(Unescape(w[2]).c_str()));
        if (op == "close-file") return std::to_string(f.Close());
        if (op == "is-open") return std::to_string(f.IsOpen());
        if (op == "file-name") return f.Name().IsEmpty() ? "\"\"" : std::string(f.Name()).substr(Path("/").size());
        return "unknown step " + op;
    }

#ifndef _WIN32
    // Leaves no file descriptor free, under a lowered limit.
    void Exhaust()
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit low = m_saved;
        low.rlim_cur = 64;
        setrlimit(RLIMIT_NOFILE, &low);
        for (int fd = dup(0); fd >= 0; fd = dup(0)) m_fillers.push_back(fd);
    }
    void Restore()
    {
        for (const int fd : m_fillers) close(fd);
        m_fillers.clear();
        setrlimit(RLIMIT_NOFILE, &m_saved);
    }
    rlimit m_saved{};
    std::vector<int> m_fillers;
#endif

    std::map<std::string, std::unique_ptr<BinaryProbe>> m_binary;
    std::map<std::string, std::unique_ptr<TextProbe>> m_text;
};

class FileScript : public ::testing::TestWithParam<std::string> {};

TEST_P(FileScript, Runs)
{
    FileInterpreter interpreter;
    RunScript(interpreter, "files/scripts", GetParam());
}

INSTANTIATE_TEST_SUITE_P(Scripts, FileScript, ::testing::ValuesIn(DataFiles("files/scripts")), CaseName);

}  // namespace
