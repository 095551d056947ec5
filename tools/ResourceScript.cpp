// Writes the part of the program's resource tables that Windows itself
// reads from the executable, as a resource script: the accelerator tables,
// which TranslateAcceleratorA takes from LoadAcceleratorsA. Run on the build
// machine. Usage: resource_script <output.rc>

#include "res/Resources.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: resource_script <output.rc>\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    std::fprintf(out, "// Generated from res/Resources.cpp; do not edit.\n");
    for (const AccelTableTemplate& table : TalvoResourceTables().accelerators) {
        std::fprintf(out, "%u ACCELERATORS\nBEGIN\n", table.id);
        for (const AccelTemplate& e : table.entries) {
            std::fprintf(out, "    %u, %u, %s", unsigned(e.key), unsigned(e.cmd), (e.fVirt & FVIRTKEY) ? "VIRTKEY" : "ASCII");
            if (e.fVirt & FSHIFT)
                std::fprintf(out, ", SHIFT");
            if (e.fVirt & FCONTROL)
                std::fprintf(out, ", CONTROL");
            if (e.fVirt & FALT)
                std::fprintf(out, ", ALT");
            std::fprintf(out, "\n");
        }
        std::fprintf(out, "END\n");
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
