// keyresgen NAMES.txt MAP.txt OUTDIR: writes keynames80.bin, keynames81.bin,
// keymap82.bin and keymap83.bin for the resource script.
#include <cstdio>
#include <fstream>

#include "keyresgen_lib.h"

namespace {

bool WriteFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

}  // namespace

int main(int argc, char **argv) {
    using namespace keyresgen;
    if (argc != 4) {
        std::fprintf(stderr, "usage: keyresgen keynames.txt keymap_default.txt outdir\n");
        return 2;
    }
    bool ok1 = false, ok2 = false;
    const std::string namesText = ReadWholeFile(argv[1], &ok1);
    const std::string mapText = ReadWholeFile(argv[2], &ok2);
    if (!ok1 || !ok2) {
        std::fprintf(stderr, "keyresgen: cannot read the tables\n");
        return 1;
    }
    NameTable names;
    std::vector<MapRow> map;
    std::string error;
    if (!ParseNames(namesText, &names, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
        return 1;
    }
    if (!ParseDefaultMap(mapText, names, &map, &error)) {
        std::fprintf(stderr, "%s: %s\n", argv[2], error.c_str());
        return 1;
    }
    std::vector<uint8_t> utf16, cp932;
    if (!NamesUtf16(names, &utf16) || !NamesCp932(names, &cp932)) {
        std::fprintf(stderr, "keyresgen: a key name does not convert\n");
        return 1;
    }
    const std::string dir = argv[3];
    if (!WriteFile(dir + "/keynames80.bin", utf16) || !WriteFile(dir + "/keynames81.bin", cp932) ||
        !WriteFile(dir + "/keymap82.bin", DefaultMapImage(map, 1)) ||
        !WriteFile(dir + "/keymap83.bin", DefaultMapImage(map, 0))) {
        std::fprintf(stderr, "keyresgen: cannot write into %s\n", argv[3]);
        return 1;
    }
    return 0;
}
