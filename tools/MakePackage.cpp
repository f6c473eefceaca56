// mkpackage: writes the installer's package stream from a product folder and a manifest.
// Usage: mkpackage <manifest> <product folder> <output file> [<longest name file>]
// The optional fourth file receives, in decimal, the length of the longest name the
// installer will write into its folder ("uninst.exe" included), for its path-length check;
// then a line "<platform mask> <size> <name>" for each file in stream order (no name for the
// uninstaller), for its space check and its run record (the stream has no index, and
// decoding it to learn sizes and names would cost a whole pass).
// The output depends on nothing but the manifest and the files' contents.
#include "tools/LzmaAloneEncoder.h"
#include "tools/PackageManifest.h"
#include "tools/PackageStreamWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& path) {
    if (!fs::is_regular_file(path)) throw std::runtime_error(path.string() + ": not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": cannot open");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error(path.string() + ": read error");
    return bytes;
}

// Written under a temporary name and renamed, so a failed run leaves no half package
// that a later build would take for finished.
void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) throw std::runtime_error(temp.string() + ": write error");
    }
    fs::rename(temp, path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::cerr << "usage: mkpackage <manifest> <product folder> <output file> [<longest name file>]\n";
        return 2;
    }
    try {
        const fs::path manifestPath = argv[1];
        const fs::path folder = argv[2];
        const std::vector<uint8_t> manifestBytes = ReadFile(manifestPath);
        const PackageManifest manifest = PackageManifest::Parse(
            std::string(manifestBytes.begin(), manifestBytes.end()), manifestPath.filename().string());

        PackageStreamWriter writer;
        std::size_t longest = std::string("uninst.exe").size();
        std::string sizes;
        for (const PackageManifest::Entry& e : manifest.Entries()) {
            const std::vector<uint8_t> bytes = ReadFile(folder / e.source);
            writer.AddFile(e.name, e.platformMask, e.uninstaller, bytes);
            if (!e.uninstaller) longest = std::max(longest, e.name.size());
            // The uninstaller's line has no name: the installer writes it to its own path.
            sizes += std::to_string(e.platformMask) + " " + std::to_string(bytes.size()) + " " +
                     (e.uninstaller ? std::string() : e.name) + "\n";
        }
        const std::vector<uint8_t> package = LzmaAloneEncoder::Encode(writer.Stream());
        WriteFile(argv[3], package);
        if (argc == 5) {
            const std::string text = std::to_string(longest) + "\n" + sizes;
            WriteFile(argv[4], std::vector<uint8_t>(text.begin(), text.end()));
        }
        std::cout << "mkpackage: " << manifest.Entries().size() << " files, " << writer.Stream().size()
                  << " bytes, packed to " << package.size() << " bytes\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "mkpackage: " << e.what() << "\n";
        return 1;
    }
}
