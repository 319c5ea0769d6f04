// The one place where reference-counted objects are created and destroyed: COM-style objects
// own themselves and delete themselves on their last Release.
#pragma once

#include "platform/ComPtr.h"

#include <atomic>
#include <cstdint>
#include <utility>

namespace hb {

template <class Interface> class RefCountedImpl : public Interface {
public:
    std::uint32_t AddRef() override { return m_refs.fetch_add(1) + 1; }
    std::uint32_t Release() override {
        const std::uint32_t left = m_refs.fetch_sub(1) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    std::atomic<std::uint32_t> m_refs{0};
};

// Creates a self-owned object and returns the first reference to it.
template <class T, class... Args> ComPtr<T> MakeRefCounted(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace hb
