#pragma once
// One process-wide reference per worker class to the object of the current call. Each export
// overwrites the reference of its class and clears it when the object is released; nothing
// reads a reference after its call has ended.

namespace bv3::interface {
class TfrmQnfToQdf;
}

namespace bv3::interface::current {
inline TfrmQnfToQdf* converter = nullptr;
inline void* uploadDialog = nullptr;
inline void* downloadDialog = nullptr;
inline void* aboutBox = nullptr;
}  // namespace bv3::interface::current

namespace bv3::interface {

// Makes `object` the current one of its class for the length of an export's call.
class CurrentObject {
public:
    CurrentObject(void*& slot, void* object) : slot_(slot) { slot_ = object; }
    ~CurrentObject() { slot_ = nullptr; }
    CurrentObject(const CurrentObject&) = delete;
    CurrentObject& operator=(const CurrentObject&) = delete;

private:
    void*& slot_;
};

}  // namespace bv3::interface
