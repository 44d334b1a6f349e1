#pragma once
// TopVertex: the vertex of a polygon mesh as pure topology, the base of the
// control mesh's vertices (MeshVertex). The surface keeps its own topology
// as index arrays (src/mr/mrtopology.h) and shares only the ring checks
// (RingSizes below).
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

// The sizes of a vertex's two rings, and the checks of the ring queries on
// them. TopVertex checks through it, and so does the surface's vertex, a
// handle over index arrays rather than a TopVertex: a broken precondition
// reads the same, expression and file, from either mesh.
struct RingSizes {
    int edges;  // entries of the edge ring
    int faces;  // entries of the face ring

    int edgeVal() const { return edges; }
    int faceVal() const { return faces; }
    // i, checked to name an entry of the edge ring.
    int edgeEntry(int i) const {
        FACETRY_ASSERT(0<=i && i<edgeVal());
        return i;
    }
    // i, checked to name an entry of the face ring.
    int faceEntry(int i) const {
        FACETRY_ASSERT(0<=i && i<faceVal());
        return i;
    }
    // Whether a vertex with these rings lies on the boundary (one face fewer
    // than edges); asserts that they can form one fan.
    bool onBoundary() const;
};

class TopVertex {
public:
    TopVertex() = default;
    TopVertex(const TopVertex&) = delete;
    TopVertex& operator=(const TopVertex&) = delete;

    int edgeVal() const { return edgeRing.size(); }
    int faceVal() const { return faceRing.size(); }
    TopEdge* edge(int i) const { return edgeRing[rings().edgeEntry(i)]; }
    TopFace* face(int i) const { return faceRing[rings().faceEntry(i)]; }

    bool onBoundary() const { return rings().onBoundary(); }
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
    RingSizes rings() const { return {edgeVal(), faceVal()}; }

    RingArray<TopEdge> edgeRing;  // edges at this vertex, edgeVal() entries
    RingArray<TopFace> faceRing;  // faces at this vertex, faceVal() entries
};
