// tObjectList: a list that owns its objects and frees them when cleared or destroyed.
#pragma once
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace vortab {

template <typename T>
class tObjectList {
public:
    void Add(std::unique_ptr<T> item) { items_.push_back(std::move(item)); }
    void FreeAll() { items_.clear(); }

    template <typename Test>
    T* FirstThat(Test test) const {
        for (const auto& item : items_)
            if (test(*item)) return item.get();
        return nullptr;
    }
    template <typename Proc>
    void ForEach(Proc proc) const {
        for (const auto& item : items_) proc(*item);
    }

    void Exchange(std::size_t i, std::size_t j) { std::swap(items_[i], items_[j]); }
    std::size_t Count() const { return items_.size(); }
    T& At(std::size_t i) const { return *items_[i]; }

private:
    std::vector<std::unique_ptr<T>> items_;
};

}  // namespace vortab
