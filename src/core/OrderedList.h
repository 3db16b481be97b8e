#pragma once
// The game's ordered list: a sequence with one cursor. Every pass of the
// battle walks and edits its lists through this cursor, and the results of a
// step depend on its exact behaviour:
//  - add() inserts right after the current element (at the front when the
//    cursor is before the first element) and makes the new element current,
//    so elements added during a pass are visited later in the same pass;
//  - remove() makes the predecessor current, so the following next() yields
//    the removed element's successor and the pass goes on undisturbed;
//  - next() at the end yields nothing and leaves the cursor on the last
//    element, so an add() after a finished pass appends.
// Elements live in their own allocations, so a reference to one stays valid
// while others are added or removed. A copy is deep: every element is
// copied, and the cursor and its saved positions with them.
#include <cstddef>
#include <memory>
#include <vector>

template <class T>
class OrderedList {
public:
    OrderedList() = default;
    OrderedList(const OrderedList& other) : cursor_(other.cursor_), saved_(other.saved_) {
        items_.reserve(other.items_.size());
        for (const auto& p : other.items_) items_.push_back(std::make_unique<T>(*p));
    }
    OrderedList& operator=(const OrderedList& other) {
        if (this != &other) *this = OrderedList(other);
        return *this;
    }
    OrderedList(OrderedList&&) noexcept = default;
    OrderedList& operator=(OrderedList&&) noexcept = default;

    // Cursor before the first element.
    void reset() { cursor_ = kBeforeFirst; }

    // Moves to the following element and yields it; at the end yields
    // nullptr and leaves the cursor on the last element.
    T* next() {
        const std::ptrdiff_t n = count();
        if (cursor_ + 1 < n) {
            ++cursor_;
            return items_[static_cast<std::size_t>(cursor_)].get();
        }
        cursor_ = n - 1;  // the last element, or before-first when empty
        return nullptr;
    }

    T* first() {
        cursor_ = items_.empty() ? kBeforeFirst : 0;
        return current();
    }
    T* last() {
        cursor_ = count() - 1;
        return current();
    }
    // Cursor on the element at 0-based position i; out of range leaves the
    // cursor where it was and yields nullptr.
    T* select(std::size_t i) {
        if (i >= items_.size()) return nullptr;
        cursor_ = static_cast<std::ptrdiff_t>(i);
        return current();
    }

    std::size_t size() const { return items_.size(); }
    // The 0-based position of the current element, -1 when none is current.
    std::ptrdiff_t position() const { return cursor_ >= 0 && cursor_ < count() ? cursor_ : -1; }
    bool empty() const { return items_.empty(); }

    // A zero-filled element right after the current one; it becomes current.
    T& add() {
        const std::ptrdiff_t at = cursor_ + 1;
        items_.insert(items_.begin() + at, std::make_unique<T>());
        cursor_ = at;
        return *items_[static_cast<std::size_t>(at)];
    }

    // Removes the current element; its predecessor becomes current (or the
    // position before the first element). No-op when nothing is current.
    void remove() {
        if (cursor_ < 0 || cursor_ >= count()) return;
        items_.erase(items_.begin() + cursor_);
        --cursor_;
    }

    void clear() {
        items_.clear();
        cursor_ = kBeforeFirst;
        saved_.clear();
    }

    void pushPosition() { saved_.push_back(cursor_); }
    void popPosition() {
        if (saved_.empty()) return;
        cursor_ = saved_.back();
        saved_.pop_back();
        if (cursor_ >= count()) cursor_ = count() - 1;
    }

    T* current() {
        if (cursor_ < 0 || cursor_ >= count()) return nullptr;
        return items_[static_cast<std::size_t>(cursor_)].get();
    }
    const T* current() const {
        if (cursor_ < 0 || cursor_ >= count()) return nullptr;
        return items_[static_cast<std::size_t>(cursor_)].get();
    }

    // Read access by position and read-only walking in list order for the
    // drawing code; neither moves the cursor.
    T& operator[](std::size_t i) { return *items_[i]; }
    const T& operator[](std::size_t i) const { return *items_[i]; }
    template <class F>
    void forEach(F&& f) const {
        for (const auto& p : items_) f(static_cast<const T&>(*p));
    }
    template <class F>
    void forEach(F&& f) {
        for (auto& p : items_) f(*p);
    }

private:
    static constexpr std::ptrdiff_t kBeforeFirst = -1;
    std::ptrdiff_t count() const { return static_cast<std::ptrdiff_t>(items_.size()); }

    std::vector<std::unique_ptr<T>> items_;
    std::ptrdiff_t cursor_ = kBeforeFirst;
    std::vector<std::ptrdiff_t> saved_;
};
