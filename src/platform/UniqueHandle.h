// One owning wrapper for every kind of OS handle. A traits class names the handle type, its
// "no handle" values and how to close it:
//
//   struct Traits {
//       using Type = ...;
//       static constexpr Type Invalid() noexcept;      // the value a default wrapper holds
//       static bool IsValid(Type) noexcept;            // some APIs have two "no handle" values
//       static void Close(Type) noexcept;
//   };
#pragma once

#include <utility>

namespace hb {

template <class Traits> class UniqueHandle {
public:
    using Type = typename Traits::Type;

    constexpr UniqueHandle() noexcept = default;
    constexpr explicit UniqueHandle(Type handle) noexcept : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    [[nodiscard]] Type Get() const noexcept { return m_handle; }
    [[nodiscard]] bool IsValid() const noexcept { return Traits::IsValid(m_handle); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Gives up ownership without closing.
    [[nodiscard]] Type Release() noexcept { return std::exchange(m_handle, Traits::Invalid()); }

    void Reset(Type handle = Traits::Invalid()) noexcept {
        const Type old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old) && old != handle) {
            Traits::Close(old);
        }
    }

private:
    Type m_handle = Traits::Invalid();
};

} // namespace hb
