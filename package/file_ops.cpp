// Small file-system helpers of the extraction engine.
#include "package/file_ops.h"

#include <windows.h>

namespace vorn {

void DeleteWithRetry(const char* path)
{
    if (!DeleteFileA(path))
        DeleteFileA(path);
}

int32_t FileLength(FILE* stream)
{
    long position = ftell(stream);
    fseek(stream, 0, SEEK_END);
    long length = ftell(stream);
    fseek(stream, position, SEEK_SET);
    return static_cast<int32_t>(length);
}

bool PathExists(const char* path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void ClearAttributes(const char* path)
{
    // No attribute bits at all; Windows stores that as FILE_ATTRIBUTE_NORMAL.
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

void CloseStream(FILE*& stream)
{
    if (stream)
        fclose(stream);
    stream = nullptr;
}

}  // namespace vorn
