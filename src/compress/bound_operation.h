#pragma once
// A bound operation: a callable together with the object it acts on, without owning it and
// without allocating. The LZH engine calls its source and sink once per byte, so the call
// has to cost no more than one indirect jump.

#include <concepts>
#include <type_traits>

namespace bv3::compress {

template <class Signature>
class BoundOperation;

template <class Result, class... Args>
class BoundOperation<Result(Args...)> {
public:
    // Binds to a callable that outlives the bound operation (an lvalue, never a temporary).
    template <class Callable>
    requires(!std::same_as<std::remove_cvref_t<Callable>, BoundOperation> && std::invocable<Callable&, Args...>)
        BoundOperation(Callable& callable)  // NOLINT(google-explicit-constructor): binding is the point
        : object_(static_cast<void*>(&callable)),
          call_([](void* object, Args... args) -> Result { return (*static_cast<Callable*>(object))(args...); }) {}

    template <class Callable>
    requires(!std::same_as<std::remove_cvref_t<Callable>, BoundOperation>) BoundOperation(Callable&&)
    = delete;

    Result operator()(Args... args) const { return call_(object_, args...); }

private:
    void* object_;
    Result (*call_)(void*, Args...);
};

}  // namespace bv3::compress
