/* Asks the Windows code-page conversion what it makes of every input, one file per code
 * page (cpNNNN.txt), lines of three kinds:
 *   S BB L UUUU[,UUUU]   byte BB alone; L is 1 for a lead byte
 *   D BBTT UUUU[,UUUU]   lead byte BB with trail TT
 *   E UUUU BB[TT]        UTF-16 unit UUUU encoded
 * Built with mingw-w64 and run under wine by generate.sh. */
#include <windows.h>
#include <stdio.h>

static const int kCodePages[] = {1252, 10000, 932,  949,  1361, 936,  950,  1253, 1254,
                                 1258, 1255,  1256, 1257, 1251, 874,  1250, 437};

static void PrintUnits(FILE* f, const WCHAR* units, int count)
{
    for (int i = 0; i < count; ++i) fprintf(f, "%s%04X", i ? "," : "", units[i]);
    fprintf(f, "\n");
}

static void Dump(int cp, FILE* f)
{
    WCHAR units[8];
    for (int b = 0; b < 256; ++b) {
        const char one[1] = {(char)b};
        const BOOL lead = IsDBCSLeadByteEx(cp, (BYTE)b);
        fprintf(f, "S %02X %d ", b, lead ? 1 : 0);
        PrintUnits(f, units, MultiByteToWideChar(cp, 0, one, 1, units, 8));
        for (int t = 0; lead && t < 256; ++t) {
            const char pair[2] = {(char)b, (char)t};
            fprintf(f, "D %02X%02X ", b, t);
            PrintUnits(f, units, MultiByteToWideChar(cp, 0, pair, 2, units, 8));
        }
    }
    for (int u = 0; u < 65536; ++u) {
        const WCHAR unit = (WCHAR)u;
        char bytes[8];
        BOOL usedDefault = FALSE;
        /* These two code pages take no default-character flag. */
        const int n = WideCharToMultiByte(cp, 0, &unit, 1, bytes, 8, NULL,
                                          cp == 1361 || cp == 10000 ? NULL : &usedDefault);
        fprintf(f, "E %04X ", u);
        for (int i = 0; i < n; ++i) fprintf(f, "%02X", (unsigned char)bytes[i]);
        fprintf(f, "\n");
    }
}

int main(void)
{
    for (size_t i = 0; i < sizeof kCodePages / sizeof kCodePages[0]; ++i) {
        char name[32];
        sprintf(name, "cp%d.txt", kCodePages[i]);
        FILE* f = fopen(name, "w");
        if (!f) return 1;
        Dump(kCodePages[i], f);
        fclose(f);
    }
    return 0;
}
