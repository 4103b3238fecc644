// A singly linked list of pointers: the container file's directory.
//
// New nodes go in at the head, so the list runs from the item put in last to
// the one put in first. The list owns its nodes only; whoever inserts an item
// keeps it and deletes it after taking it out of the list. Wrong calls are
// failed checks that carry on without changing the list.
#pragma once

#include <cstdint>
#include <iterator>
#include <new>

#include "container/ZQLog.h"

namespace quillon {

template <typename T>
class ZQTemplate {
    struct Node {
        Node* Next;
        T* Data;
    };

  public:
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;

        Iterator() = default;
        explicit Iterator(const Node* node) : Current(node) {}
        T& operator*() const { return *Current->Data; }
        T* operator->() const { return Current->Data; }
        Iterator& operator++() {
            Current = Current->Next;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            Current = Current->Next;
            return before;
        }
        bool operator==(const Iterator&) const = default;

      private:
        const Node* Current = nullptr;
    };

    ZQTemplate() = default;
    ~ZQTemplate() {
        ZQ_ASSERT(Count == 0, "Must Clear List before destructing", "Count == 0", ;);
        // The items are their owners' business; the nodes are the list's.
        while (Head) {
            Node* next = Head->Next;
            delete Head;
            Head = next;
        }
    }
    ZQTemplate(const ZQTemplate&) = delete;
    ZQTemplate& operator=(const ZQTemplate&) = delete;

    // Puts the item at the head; false when no node could be had.
    [[nodiscard]] bool Insert(T* data) {
        Node* node = new (std::nothrow) Node{Head, data};
        if (!node) return false;
        Head = node;
        ++Count;
        return true;
    }

    // Takes the node that holds this item out of the list.
    void Delete(T* data) {
        ZQ_ASSERT(Count > 0, "Quenz: Linked List Count Error", "Count > 0", ;);
        ZQ_ASSERT(Head, "Quenz: Linked List No Head Error", "Head.Get()", ;);
        bool deleted_one = false;
        for (Node** link = &Head; *link; link = &(*link)->Next) {
            if ((*link)->Data != data) continue;
            Node* node = *link;
            *link = node->Next;
            delete node;
            ZQ_ASSERT(Count, "Quenz: Count in linked list wrong", "Count", ;);
            if (Count > 0) --Count;  // a count already wrong must not wrap
            deleted_one = true;
            break;
        }
        ZQ_ASSERT(deleted_one == true, "Quenz: Not Found in linked list", "deleted_one == true", ;);
    }

    // The item at the head (the one put in last), or null.
    T* First() const { return Head ? Head->Data : nullptr; }
    uint32_t GetCount() const { return Count; }
    bool IsEmpty() const { return Head == nullptr; }

    Iterator begin() const { return Iterator(Head); }
    Iterator end() const { return Iterator(); }

  private:
    Node* Head = nullptr;
    uint32_t Count = 0;
};

}  // namespace quillon
