// Owning pointer to a reference-counted interface (anything with AddRef and Release): the real
// COM interfaces in the Win32 backend and their portable counterparts on the platform seam.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

namespace hb {

template <class T> class ComPtr {
public:
    constexpr ComPtr() noexcept = default;
    constexpr ComPtr(std::nullptr_t) noexcept {}
    // Takes a new reference.
    explicit ComPtr(T* p) noexcept : m_p(p) {
        if (m_p != nullptr) {
            m_p->AddRef();
        }
    }
    ComPtr(const ComPtr& other) noexcept : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    // From a pointer to a derived interface or implementation.
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(ComPtr<U> other)
    noexcept : m_p(other.Detach()) {}
    ComPtr& operator=(const ComPtr& other) noexcept {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Adopts a reference the caller already owns (an out-parameter of a COM call).
    [[nodiscard]] static ComPtr Attach(T* p) noexcept {
        ComPtr result;
        result.m_p = p;
        return result;
    }
    // Hands the reference to the caller.
    [[nodiscard]] T* Detach() noexcept { return std::exchange(m_p, nullptr); }

    void Reset() noexcept {
        if (T* old = std::exchange(m_p, nullptr)) {
            old->Release();
        }
    }
    // For out-parameters: releases what is held and gives the address to fill.
    [[nodiscard]] T** ReleaseAndGetAddressOf() noexcept {
        Reset();
        return &m_p;
    }

    [[nodiscard]] T* Get() const noexcept { return m_p; }
    T* operator->() const noexcept { return m_p; }
    T& operator*() const noexcept { return *m_p; }
    explicit operator bool() const noexcept { return m_p != nullptr; }
    void Swap(ComPtr& other) noexcept { std::swap(m_p, other.m_p); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) noexcept { return a.m_p == b.m_p; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) noexcept { return a.m_p == nullptr; }

private:
    T* m_p = nullptr;
};

} // namespace hb
