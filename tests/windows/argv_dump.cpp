// A Windows console program: reads parameter texts from standard input, one
// per UTF-8 line, and prints what CommandLineToArgvW makes of each, one line
// per text: the argument count, then each argument (the program name first)
// as "x" and its UTF-16 code units in hex, blank-separated ("x" alone is an
// empty argument). Built with MinGW and run under Wine by scripts/test-windows.
// windows.h first: shellapi.h needs its types.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    return wide;
}

void printLine(const std::string& text, const wchar_t* programName) {
    // The program name ahead of the text: CommandLineToArgvW reads the first
    // argument by other rules (no backslash escapes), the caller drops it.
    const std::wstring commandLine = std::wstring(programName) + L" " + fromUtf8(text);
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!arguments) {
        std::printf("error %lu\n", GetLastError());
        return;
    }
    std::printf("%d", count);
    for (int i = 0; i < count; ++i) {
        std::printf(" x");
        for (const wchar_t* c = arguments[i]; *c; ++c)
            std::printf("%04x", static_cast<unsigned>(*c));
    }
    std::printf("\n");
    LocalFree(arguments);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* programName = argc > 1 ? argv[1] : L"p.exe";
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::string line;
    int c;
    while ((c = std::getchar()) != EOF) {
        if (c == '\n') {
            printLine(line, programName);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) printLine(line, programName);
    std::fflush(stdout);
    return 0;
}
