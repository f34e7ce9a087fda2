// Routes a function that the test program imports to a stand-in of the
// test's own: for answers that the system under test (Wine) never gives, but
// Windows does.
#pragma once

namespace vorn::test {

// For its lifetime, every call made through the program's own import table
// (the engine's code linked into it included) reaches the stand-in; calls
// made inside system libraries do not.
class ImportPatch {
public:
    ImportPatch(const char* library, const char* function, void* standIn);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the program does not import the function by that name.
    bool Applied() const { return slot_ != nullptr; }
    // The function the import table held before.
    template <class Function>
    Function Original() const
    {
        return reinterpret_cast<Function>(original_);
    }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

}  // namespace vorn::test
