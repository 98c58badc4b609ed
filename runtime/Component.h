#pragma once

#include <vector>

namespace lex {

// The ownership half of a toolkit component: an owner destroys the components
// it owns, and a component destroyed first leaves its owner's list. Data
// modules and forms own their dictionaries this way.
class TComponent {
public:
    explicit TComponent(TComponent* Owner = nullptr) : owner_(Owner) {
        if (owner_) owner_->components_.push_back(this);
    }
    virtual ~TComponent() {
        while (!components_.empty())
            delete components_.back(); // each removes itself
        if (owner_) std::erase(owner_->components_, this);
    }
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Component(int Index) const { return components_[Index]; }

private:
    TComponent* owner_;
    std::vector<TComponent*> components_;
};

} // namespace lex
