// Files and folders for the Windows tests.
#include "tests/support/files.h"

#include <algorithm>
#include <cstdio>

namespace vorn::test {
namespace {

template <class Buffer>
bool ReadWhole(const std::string& path, Buffer* out)
{
    out->clear();
    FILE* f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0)
        out->insert(out->end(), block, block + got);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool WriteWhole(const std::string& path, const void* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = size == 0 || fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

}  // namespace

bool ReadFileBytes(const std::string& path, Bytes* bytes) { return ReadWhole(path, bytes); }
bool ReadFileText(const std::string& path, std::string* text) { return ReadWhole(path, text); }

Bytes ReadFileBytes(const std::string& path)
{
    Bytes bytes;
    ReadWhole(path, &bytes);
    return bytes;
}

std::string ReadFileText(const std::string& path)
{
    std::string text;
    ReadWhole(path, &text);
    return text;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    return WriteWhole(path, bytes.data(), bytes.size());
}

bool WriteFileText(const std::string& path, const std::string& text)
{
    return WriteWhole(path, text.data(), text.size());
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

bool IsFile(const std::string& path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path)
{
    DWORD a = Attributes(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FolderEntries(const std::string& folder, const std::string& pattern)
{
    std::vector<std::string> names;
    std::string search = folder;
    if (search.empty() || (search.back() != '\\' && search.back() != '/'))
        search += '\\';
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((search + pattern).c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

bool RemoveTree(const std::string& path)
{
    DWORD a = Attributes(path);
    if (a == INVALID_FILE_ATTRIBUTES)
        return true;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (a & FILE_ATTRIBUTE_DIRECTORY) {
        for (const std::string& name : FolderEntries(path))
            RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
    return !Exists(path);
}

bool FreshFolder(const std::string& path)
{
    RemoveTree(path);
    // Every missing parent first; the ones that are there refuse harmlessly.
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    return CreateDirectoryA(path.c_str(), nullptr) && FolderEntries(path).empty();
}

std::string TemporaryFolder()
{
    char folder[MAX_PATH] = "";
    DWORD n = GetTempPathA(MAX_PATH, folder);
    return n > 0 && n < MAX_PATH ? folder : "";
}

ScratchFolder::ScratchFolder(const std::string& name)
{
    char full[MAX_PATH] = "";
    GetFullPathNameA(("scratch\\" + name).c_str(), MAX_PATH, full, nullptr);
    path_ = full;
    FreshFolder(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

}  // namespace vorn::test
