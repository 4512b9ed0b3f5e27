// Reports the machine's state after a run, one answer per question, so the
// scenario runner can compare it with what the scenario expects.
//
//   probe.exe QUESTIONS ANSWERS
// Each question line is KIND<tab>ARGUMENT; each answer line repeats it and adds
// <tab>RESULT. Kinds: key PATH, value PATH|NAME, file RELATIVE-PATH (under the
// Windows directory), process EXE, window TITLE.
#include <windows.h>
#include <tlhelp32.h>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

bool SplitRoot(const std::string& path, HKEY& root, std::string& rest) {
    size_t slash = path.find('\\');
    std::string head = path.substr(0, slash);
    rest = slash == std::string::npos ? "" : path.substr(slash + 1);
    if (lstrcmpiA(head.c_str(), "HKLM") == 0 || lstrcmpiA(head.c_str(), "HKEY_LOCAL_MACHINE") == 0)
        root = HKEY_LOCAL_MACHINE;
    else if (lstrcmpiA(head.c_str(), "HKCU") == 0 || lstrcmpiA(head.c_str(), "HKEY_CURRENT_USER") == 0)
        root = HKEY_CURRENT_USER;
    else
        return false;
    return true;
}

std::string AskKey(const std::string& path) {
    HKEY root;
    std::string rest;
    if (!SplitRoot(path, root, rest))
        return "bad-root";
    HKEY key = NULL;
    if (RegOpenKeyExA(root, rest.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "absent";
    RegCloseKey(key);
    return "present";
}

std::string AskValue(const std::string& arg) {
    size_t bar = arg.find('|');
    if (bar == std::string::npos)
        return "bad-argument";
    HKEY root;
    std::string rest;
    if (!SplitRoot(arg.substr(0, bar), root, rest))
        return "bad-root";
    HKEY key = NULL;
    if (RegOpenKeyExA(root, rest.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "absent";
    char data[4096] = "";
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, arg.substr(bar + 1).c_str(), NULL, &type,
                               reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return "absent";
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return "type:" + std::to_string(type);
    data[size] = '\0';
    return "sz:" + Escape(data);
}

std::string AskFile(const std::string& relative) {
    char dir[MAX_PATH] = "";
    UINT len = GetWindowsDirectoryA(dir, sizeof(dir));
    if (len == 0 || len >= sizeof(dir))
        return "no-windows-directory";
    std::string path = std::string(dir) + "\\" + relative;
    DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return "absent";
    char hex[16];
    snprintf(hex, sizeof(hex), "%lx", attrs);
    return std::string("attr:") + hex;
}

std::string AskProcess(const std::string& exe) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return "no-snapshot";
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exe.c_str()) == 0)
            ++count;
    }
    CloseHandle(snap);
    return std::to_string(count);
}

std::string AskWindow(const std::string& title) {
    return FindWindowA(NULL, title.c_str()) != NULL ? "present" : "absent";
}

std::string Answer(const std::string& kind, const std::string& arg) {
    if (kind == "key") return AskKey(arg);
    if (kind == "value") return AskValue(arg);
    if (kind == "file") return AskFile(arg);
    if (kind == "process") return AskProcess(arg);
    if (kind == "window") return AskWindow(arg);
    return "unknown-question";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: probe QUESTIONS ANSWERS\n");
        return 2;
    }
    FILE* in = fopen(argv[1], "rb");
    if (in == NULL)
        return 3;
    FILE* out = fopen(argv[2], "wb");
    if (out == NULL) {
        fclose(in);
        return 4;
    }
    char line[4096];
    while (fgets(line, sizeof(line), in) != NULL) {
        line[strcspn(line, "\r\n")] = '\0';
        char* tab = strchr(line, '\t');
        if (tab == NULL)
            continue;
        std::string kind(line, tab - line);
        std::string arg(tab + 1);
        fprintf(out, "%s\t%s\t%s\n", kind.c_str(), arg.c_str(), Answer(kind, arg).c_str());
    }
    fclose(out);
    fclose(in);
    return 0;
}
