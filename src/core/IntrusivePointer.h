#pragma once

#include <cstdint>

template <class T> class IntrusivePointer;

// Gives a class one plain (non-atomic) reference count that starts at 0: a fresh object has no
// holders, and the release that takes the count from 1 to 0 destroys it. Classes with a virtual
// destructor are destroyed through it; the others must be held by their own type.
template <class Derived> class IntrusivePointerMixin {
  public:
    std::int32_t referenceCount() const { return references; }

  protected:
    IntrusivePointerMixin() = default;
    IntrusivePointerMixin(const IntrusivePointerMixin&) : references(0) {}
    IntrusivePointerMixin& operator=(const IntrusivePointerMixin&) { return *this; }
    ~IntrusivePointerMixin() = default;

  private:
    template <class> friend class IntrusivePointer;
    std::int32_t references = 0;
};

// Holds one counted reference to an object (or null).
template <class T> class IntrusivePointer {
  public:
    IntrusivePointer() = default;
    IntrusivePointer(T* object) : pointer(object) { acquire(); }
    IntrusivePointer(const IntrusivePointer& other) : pointer(other.pointer) { acquire(); }
    template <class U> IntrusivePointer(const IntrusivePointer<U>& other) : pointer(other.get()) {
        acquire();
    }
    IntrusivePointer(IntrusivePointer&& other) noexcept : pointer(other.pointer) {
        other.pointer = nullptr;
    }
    ~IntrusivePointer() { release(); }

    IntrusivePointer& operator=(const IntrusivePointer& other) { return *this = other.pointer; }
    IntrusivePointer& operator=(IntrusivePointer&& other) noexcept {
        if (this != &other) {
            release();
            pointer = other.pointer;
            other.pointer = nullptr;
        }
        return *this;
    }
    IntrusivePointer& operator=(T* object) {
        // Acquire first so that assigning the object already held cannot destroy it.
        T* previous = pointer;
        pointer = object;
        acquire();
        if (previous != nullptr && --previous->references == 0)
            destroy(previous);
        return *this;
    }

    void reset() { release(); }
    T* get() const { return pointer; }
    T* operator->() const { return pointer; }
    T& operator*() const { return *pointer; }
    explicit operator bool() const { return pointer != nullptr; }

  private:
    template <class> friend class IntrusivePointer;
    void acquire() {
        if (pointer != nullptr)
            ++pointer->references;
    }
    void release() {
        T* object = pointer;
        pointer = nullptr;
        if (object != nullptr && --object->references == 0)
            destroy(object);
    }
    // Out of line: inlined, the compiler cannot see that the count was above one and warns of
    // a use after free on every later access.
    [[gnu::noinline]] static void destroy(T* object) { delete object; }

    T* pointer = nullptr;
};
