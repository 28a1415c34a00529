// SPDX-License-Identifier: MIT
// Example: an application's settings file, changed through CINIFile.
//
// Writes a sample settings.ini into the work folder, opens it, reads and
// changes a value by section and key, adds a key and deletes one, saves, and
// shows the file before and after: every comment stays where it was.
#include <filekit/INIFile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char kSample[] = "; Settings of the sample application\n"
                       "; (kept by hand: comments must survive every save)\n"
                       "[Window]\n"
                       "; size in pixels\n"
                       "width=800\n"
                       "height=600\n"
                       "maximized\n"
                       "\n"
                       "; where files go\n"
                       "[Paths]\n"
                       "data = /var/lib/sample\n"
                       "; no longer used\n"
                       "cache=/tmp/sample\n";

void Show(const char* title, const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("----- %s -----\n%s", title, text.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path folder = argc > 1 ? argv[1] : ".";
    std::filesystem::create_directories(folder);
    const std::string path = (folder / ("settings." + std::string(CINIFile::GetExtension()))).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << kSample;
    Show("before", path);

    CINIFile ini;
    if (!ini.Open(path.c_str())) {
        std::printf("cannot read %s\n", path.c_str());
        return 1;
    }
    CString value, comment;
    if (!ini.GetKeyData("Window", "width", value, comment)) return 1;
    std::printf("\nWindow/width is %s, its comment \"%s\"\n", static_cast<const char*>(value),
                static_cast<const char*>(comment));
    const std::string wider = std::to_string(std::stoi(static_cast<const char*>(value)) + 224);
    ini.UpdateKey("Window", "width", "width", wider.c_str(), comment);  // the comment goes back unchanged
    std::printf("set Window/width to %s\n", wider.c_str());

    int index = -1;
    if (ini.AddNewKey("Window", "theme", "dark", "; added by the example", &index))
        std::printf("added Window/theme at index %d\n", index);
    if (ini.DeleteKey("Paths", "cache")) std::printf("deleted Paths/cache\n");

    if (!ini.Save(ini.GetFile())) return 1;
    ini.Close();
    std::printf("saved: in a comment of several lines, all but the last now end in a space\n\n");
    Show("after", path);
    return 0;
}
