#pragma once
// A hash index over entries that its owner keeps: each slot holds a small reference to one entry
// (a position, a pointer), and the owner says what an entry's key and hash are. Open addressing
// with linear probing over a power-of-two number of slots, at most three quarters of them taken,
// so that a search soon meets a free slot. The owner passes its key rules to every call that
// compares keys, so that the index holds nothing of its owner and is copied with it. The rules
// and the key are small values (a reference to the owner, a std::string_view), passed as such:
//
//     struct Keys {
//         size_t Hash(Ref ref) const;                     // the hash of the entry's key
//         bool Has(Ref ref, Key key, size_t hash) const;  // whether the entry has this key
//     };
//
// A value-initialised Ref (0, a null pointer) marks a free slot; no entry has it.

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <utility>
#include <vector>

namespace kv {

template <class Ref>
class HashIndex {
  public:
    // The entry with this key; Ref{} when there is none.
    template <class Keys, class Key>
    Ref Find(Keys keys, Key key, size_t hash) const {
        return slots_.empty() ? Ref{} : slots_[SlotOf(keys, key, hash)];
    }

    // The entry with this key, or a new one: where the key is missing, store() stores the
    // owner's entry and gives its Ref, which the index then takes. Room is made before store()
    // runs, so that a throw of store() leaves the entries indexed as they were. The entry, and
    // whether it was added.
    template <class Keys, class Key, class Store>
    [[gnu::always_inline]] std::pair<Ref, bool> Insert(Keys keys, Key key, size_t hash,
                                                       Store&& store) {
        Reserve(keys, count_ + 1);
        const size_t slot = SlotOf(keys, key, hash);
        if (IsTaken(slots_[slot]))
            return {slots_[slot], false};
        const Ref ref = std::forward<Store>(store)();
        assert(IsTaken(ref) && "an entry's Ref is not the free slot's");
        slots_[slot] = ref;
        ++count_;
        return {ref, true};
    }

    // Makes room for 'count' entries, so that adding them does not grow the slots; the entries
    // are placed anew when the slots grow.
    template <class Keys>
    void Reserve(Keys keys, size_t count) {
        if (slots_.size() * 3 >= count * 4)
            return;
        size_t capacity = kMinCapacity;
        while (capacity * 3 < count * 4)
            capacity *= 2;
        if (capacity > slots_.size())
            Rebuild(keys, capacity);
    }
    // Forgets every entry and keeps the room.
    void Clear() {
        std::fill(slots_.begin(), slots_.end(), Ref{});
        count_ = 0;
    }
    size_t Count() const { return count_; }

  private:
    static constexpr size_t kMinCapacity = 16;

    static bool IsTaken(const Ref& ref) { return !(ref == Ref{}); }

    // The slot that holds the key, or the free one where it belongs. A free slot ends every
    // search: the slots are never more than three quarters taken.
    template <class Keys, class Key>
    [[gnu::always_inline]] size_t SlotOf(Keys keys, Key key, size_t hash) const {
        assert(count_ < slots_.size() && "a search needs a free slot");
        const size_t mask = slots_.size() - 1;
        size_t i = hash & mask;
        while (IsTaken(slots_[i]) && !keys.Has(slots_[i], key, hash))
            i = (i + 1) & mask;
        return i;
    }

    template <class Keys>
    void Rebuild(Keys keys, size_t capacity) {
        std::vector<Ref> old(capacity);
        old.swap(slots_);
        const size_t mask = capacity - 1;
        for (const Ref& ref : old) {
            if (!IsTaken(ref))
                continue;
            size_t i = keys.Hash(ref) & mask;
            while (IsTaken(slots_[i]))
                i = (i + 1) & mask;
            slots_[i] = ref;
        }
    }

    std::vector<Ref> slots_;
    size_t count_ = 0;
};

}  // namespace kv
