#pragma once
// TopVertex: the vertex of a polygon mesh as pure topology, the base of the
// control mesh's vertices (MeshVertex). The surface does not use it: it keeps
// its own topology as index arrays (src/mr/mrtopology.h).
//
// Invariant once orderRings() has run on a vertex whose faces form one fan:
// interior vertex with n edges: n faces, face i lies between edge i and edge
// (i+1) mod n; boundary vertex with n edges: n-1 faces, edges 0 and n-1 are its
// two boundary edges and face i lies between edges i and i+1.

#include "math/check.h"

class TopEdge;
class TopFace;

// A list of element pointers: a span of an array the mesh owns, when the mesh
// makes all its lists at once, or an array of its own, grown as entries come
// in one by one. Either way no vertex allocates while a whole mesh is built.
template <class T>
class RingArray {
public:
    RingArray() = default;
    ~RingArray() {
        if (owned) delete[] items;
    }
    RingArray(const RingArray&) = delete;
    RingArray& operator=(const RingArray&) = delete;

    // Lends the list the first `count_` entries of someone else's array,
    // which already hold the list.
    void lend(T** storage, int count_) {
        if (owned) delete[] items;
        items = storage;
        room = count = count_;
        owned = false;
    }
    int size() const { return count; }
    T* operator[](int i) const { return items[i]; }
    void push(T* item) {
        if (count == room) grow();
        items[count++] = item;
    }
    // Replaces the entries by `n` others, in the storage it has when they fit.
    void assign(T* const* others, int n) {
        count = 0;
        while (room < n) grow();
        for (int i = 0; i < n; ++i) items[i] = others[i];
        count = n;
    }

private:
    void grow() {
        const int bigger = room < 4 ? 4 : 2 * room;
        T** fresh = new T*[bigger];
        for (int i = 0; i < count; ++i) fresh[i] = items[i];
        if (owned) delete[] items;
        items = fresh;
        room = bigger;
        owned = true;
    }

    T** items = nullptr;  // count entries in use, room in all
    int count = 0;        // entries in use
    int room = 0;         // entries available before the list must grow
    bool owned = false;   // items was allocated by the list itself
};

class TopVertex {
public:
    TopVertex() = default;
    TopVertex(const TopVertex&) = delete;
    TopVertex& operator=(const TopVertex&) = delete;

    int edgeVal() const { return edgeRing.size(); }
    int faceVal() const { return faceRing.size(); }
    TopEdge* edge(int i) const {
        FACETRY_ASSERT(0<=i && i<edgeVal());
        return edgeRing[i];
    }
    TopFace* face(int i) const {
        FACETRY_ASSERT(0<=i && i<faceVal());
        return faceRing[i];
    }

    bool onBoundary() const;
    void addEdge(TopEdge* e);
    void addFace(TopFace* f);
    // The first edge in ring order that ends at v, or null.
    TopEdge* edgeTo(const TopVertex* v) const;
    bool adjacent(const TopVertex* v) const { return edgeTo(v) != nullptr; }
    // Puts the edge and face rings in cyclic order around the vertex.
    void orderRings();

    // Late initialisation by a mesh that links all its elements at once: the
    // rings, already in cyclic order, are spans of the mesh's own arrays.
    void attachRings(TopEdge** edges, int edgeCount, TopFace** faces, int faceCount) {
        edgeRing.lend(edges, edgeCount);
        faceRing.lend(faces, faceCount);
    }

private:
    RingArray<TopEdge> edgeRing;  // edges at this vertex, edgeVal() entries
    RingArray<TopFace> faceRing;  // faces at this vertex, faceVal() entries
};
