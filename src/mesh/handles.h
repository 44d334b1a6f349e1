#pragma once
// Handles: room for one handle per element of a mesh, each made in place
// with its element's index as id. A handle keeps only its owner and its id,
// so it is trivially destructible and the room is freed without destroying
// them. Room that is never written costs no memory, so handles can also be
// made on first use.

#include <algorithm>
#include <new>
#include <type_traits>

namespace facetry {

template <class Element>
class Handles {
public:
    Handles() = default;
    ~Handles() { ::operator delete(items); }
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;

    // Room for `count` handles, none made yet; any earlier room is let go.
    // Throws std::bad_alloc.
    void reserve(int count) {
        static_assert(std::is_trivially_destructible<Element>::value, "handles are freed without destruction");
        Element* fresh = static_cast<Element*>(::operator new(sizeof(Element) * std::max(count, 1)));
        ::operator delete(items);
        items = fresh;
    }
    // Makes handles 0 .. count-1 over `owner` in the room reserved.
    template <class Owner>
    void make(Owner* owner, int count) {
        for (int i = 0; i < count; ++i) new (items + i) Element(owner, i);
    }
    void clear() {
        ::operator delete(items);
        items = nullptr;
    }

    explicit operator bool() const { return items != nullptr; }
    Element& operator[](int i) const { return items[i]; }
    Element* data() const { return items; }

private:
    Element* items = nullptr;  // the room, null before reserve
};

}  // namespace facetry
