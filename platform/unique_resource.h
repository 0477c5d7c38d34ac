#pragma once

// Sole ownership of one platform resource: a handle, or a structure that owns
// what it points to. Plain C++, so that code without the system's headers can
// own what the platform's interfaces hand out.
//
// A kind of resource is described by its traits:
//
//     struct Traits
//     {
//         using type = ...;                        // what is stored
//         static type empty() noexcept;           // the value that owns nothing
//         static void close(type& value) noexcept; // frees it; must accept empty()
//     };
//
// For a handle, HandleTraits supplies these from the function that frees it:
// UniqueHandle<void*, platform::NetApiBufferFree> owns a network API buffer,
// and put() takes the allocation: NetApiBufferAllocate(size, buffer.put()).

#include <utility>

namespace platform {

template <typename Traits> class UniqueResource
{
public:
    using Type = typename Traits::type;

    UniqueResource() noexcept : value_(Traits::empty()) {}
    explicit UniqueResource(Type value) noexcept : value_(std::move(value)) {}
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    ~UniqueResource() { Traits::close(value_); }

    const Type& get() const noexcept { return value_; }

    // Frees what is held and returns the storage, for an out-parameter that
    // fills it with a new resource to own.
    Type* put() noexcept
    {
        reset();
        return &value_;
    }

    // The storage as it is, for an in/out parameter: whatever the callee
    // leaves there is owned, and whatever it takes away is no longer.
    Type* addressOf() noexcept { return &value_; }

    // The new value is stored before the old one is freed, as unique_ptr does.
    void reset(Type value = Traits::empty()) noexcept
    {
        Type old = std::exchange(value_, std::move(value));
        Traits::close(old);
    }

    // Gives up ownership without freeing.
    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::empty()); }

private:
    Type value_;
};

// A handle whose empty value is its type's zero (a null pointer), freed by
// Close, which is called only for a handle that is not empty.
template <typename Handle, auto Close> struct HandleTraits
{
    using type = Handle;
    static constexpr type empty() noexcept { return type{}; }
    static void close(type value) noexcept
    {
        if (value != type{}) {
            Close(value);
        }
    }
};

template <typename Handle, auto Close>
using UniqueHandle = UniqueResource<HandleTraits<Handle, Close>>;

} // namespace platform
