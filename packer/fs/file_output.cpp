// Checked, all-or-nothing file output for the packer (portable; the system
// calls are in the platform's file_system_*.cpp).
#include "packer/fs/file_output.h"

#include "packer/fs/file_system.h"

namespace vorn {
namespace {

std::string Reason(const std::string& path, const char* what, int code)
{
    return path + ": " + what + ": " + fs::ErrorText(code);
}

// path without separators at its end, its root left whole.
std::string StripSeparators(std::string path)
{
    size_t root = fs::RootLength(path);
    while (path.size() > root && fs::IsSeparator(path.back()))
        path.pop_back();
    return path;
}

// The folder part of path with its separator ("" for a bare name), and the name.
void SplitPath(const std::string& path, std::string* folder, std::string* name)
{
    size_t at = path.size();
    while (at > fs::RootLength(path) && !fs::IsSeparator(path[at - 1]))
        --at;
    *folder = path.substr(0, at);
    *name = path.substr(at);
}

// The folder that holds path, or "" when path is a root or a bare name.
std::string Parent(const std::string& path)
{
    std::string folder, name;
    SplitPath(StripSeparators(path), &folder, &name);
    return StripSeparators(folder);
}

// The temporary names of one output: hidden beside it, named for it; the
// unique characters follow.
std::string TemporaryPrefix(const std::string& path)
{
    std::string folder, name;
    SplitPath(path, &folder, &name);
    return folder + "." + name + ".";
}

// Creates a fresh temporary beside target and writes bytes into it: every
// step checked, so that a full disk is seen here and not after the rename.
// On failure the temporary is gone and error names the target and the step.
bool WriteTemporary(const std::string& target, const Bytes& bytes, fs::NewFile* file, std::string* error)
{
    int code = fs::CreateFresh(TemporaryPrefix(target), file);
    if (code != 0) {
        *error = Reason(target, "cannot create a temporary file", code);
        return false;
    }
    code = fs::WriteAndSync(*file, bytes);
    int closed = fs::Close(file);
    if (code == 0)
        code = closed;
    if (code != 0) {
        *error = Reason(target, "cannot write", code);
        fs::RemoveFile(file->path);
        return false;
    }
    return true;
}

// Creates folder and its missing parents; those created, outermost first, go
// to created so that a failure can take them away again. A folder that
// exists when it is made (another program made it, or a name such as "n/."
// that only exists once its parent does) is used, not counted as created.
bool CreateFolders(const std::string& folder, std::vector<std::string>* created, std::string* error)
{
    std::vector<std::string> missing;
    for (std::string p = StripSeparators(folder); p.size() > fs::RootLength(p) && !fs::IsFolder(p); p = Parent(p))
        missing.push_back(p);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        int code = fs::MakeFolder(*it);
        if (code == 0) {
            created->push_back(*it);
        } else if (!(fs::IsAlreadyExists(code) && fs::IsFolder(*it))) {
            *error = Reason(*it, "cannot create the folder", code);
            return false;
        }
    }
    return true;
}

void RemoveFolders(const std::vector<std::string>& created)
{
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        fs::RemoveFolder(*it);
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || fs::IsSeparator(folder.back()) || (folder.size() == 2 && folder[1] == ':'))
        return folder + name;
    return folder + fs::kSeparator + name;
}

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string* error)
{
    return WriteFilesAtomically({{path, &bytes}}, error);
}

// The renames come only when every file is complete. A rename that fails
// after an earlier one (a folder put at the second name meanwhile) cannot
// bring back the file the earlier one replaced; its temporary is removed.
bool WriteFilesAtomically(const std::vector<OutputFile>& files, std::string* error)
{
    std::vector<fs::NewFile> temporaries;
    bool ok = true;
    for (size_t i = 0; ok && i < files.size(); ++i) {
        fs::NewFile file;
        ok = WriteTemporary(files[i].path, *files[i].bytes, &file, error);
        if (ok)
            temporaries.push_back(file);
    }
    size_t renamed = 0;
    for (; ok && renamed < temporaries.size(); ++renamed) {
        int code = fs::Rename(temporaries[renamed].path, files[renamed].path, true);
        if (code != 0) {
            *error = Reason(files[renamed].path, "cannot rename the written file into place", code);
            ok = false;
            break;
        }
    }
    for (size_t i = renamed; !ok && i < temporaries.size(); ++i)
        fs::RemoveFile(temporaries[i].path);
    return ok;
}

bool WriteFilesIntoFolder(const std::string& folderGiven, const std::vector<FolderFile>& files, bool replace,
                          std::string* error, const BeforeRename* beforeRename)
{
    const std::string folder = StripSeparators(folderGiven);
    if (folder.empty()) {
        *error = "no folder given";
        return false;
    }
    if (fs::KindAt(folder) != fs::Kind::Missing && !fs::IsFolder(folder)) {
        *error = folder + ": not a folder";
        return false;
    }
    // Refusals first, so that a refused run writes nothing. What appears
    // after this look is never replaced all the same: the renames below do
    // not replace unless asked to.
    for (const FolderFile& file : files) {
        std::string path = JoinPath(folder, file.name);
        fs::Kind kind = fs::KindAt(path);
        if (kind == fs::Kind::Folder) {
            *error = path + ": a folder is in the way";
            return false;
        }
        if (kind != fs::Kind::Missing && !replace) {
            *error = path + ": already exists, not replaced";
            return false;
        }
    }

    std::vector<std::string> created;
    std::vector<fs::NewFile> temporaries;
    bool ok = CreateFolders(folder, &created, error);
    for (size_t i = 0; ok && i < files.size(); ++i) {
        fs::NewFile file;
        ok = WriteTemporary(JoinPath(folder, files[i].name), *files[i].bytes, &file, error);
        if (ok)
            temporaries.push_back(file);
    }
    size_t renamed = 0;
    for (; ok && renamed < temporaries.size(); ++renamed) {
        std::string path = JoinPath(folder, files[renamed].name);
        if (beforeRename)
            beforeRename->call(beforeRename->context, renamed, path);
        int code = fs::Rename(temporaries[renamed].path, path, replace);
        if (code != 0) {
            *error = fs::IsAlreadyExists(code) && !replace
                         ? path + ": appeared while the files were written, not replaced"
                         : Reason(path, "cannot rename the written file into place", code);
            ok = false;
            break;
        }
    }
    if (ok)
        return true;
    for (size_t i = renamed; i < temporaries.size(); ++i)
        fs::RemoveFile(temporaries[i].path);
    // Files renamed before the failure replaced nothing unless replace was
    // given; each goes only while it is still the file this run wrote.
    // Replaced files cannot be brought back, so those stay, complete.
    if (!replace)
        for (size_t i = 0; i < renamed; ++i) {
            std::string path = JoinPath(folder, files[i].name);
            if (fs::IsSameFile(path, temporaries[i].id))
                fs::RemoveFile(path);
        }
    RemoveFolders(created);
    return false;
}

}  // namespace vorn
