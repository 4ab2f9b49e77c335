#pragma once
// A control array: elements of one control type under one name, told apart by
// index. The element made at design time is never removed; others are loaded
// and unloaded at run time as copies of the lowest element. An unloaded
// element's window stays hidden until the next element of its index takes it
// over, so rebuilding the same elements makes no new windows.

#include <map>
#include <memory>
#include <type_traits>

#include "toolkit/control.h"
#include "toolkit/form.h"

#include "support/runtime_error.h"

namespace toolkit {

template <typename T> class ControlArray : public ControlArrayBase {
public:
    ControlArray(Form& parent, std::wstring name, int designIndex = 0)
        : parent_(parent), designIndex_(designIndex), name_(name)
    {
        auto first = std::make_unique<T>(parent, std::move(name));
        first->SetIndex(designIndex);
        elements_.emplace(designIndex, std::move(first));
        parent_.arrays_.push_back(this);
    }
    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    ~ControlArray() { std::erase(parent_.arrays_, this); }

    T& operator()(int index) const
    {
        auto found = elements_.find(index);
        if (found == elements_.end())
            support::Raise(support::err::ControlArrayElementMissing,
                           L"Control array element '" + std::to_wstring(index) + L"' doesn't exist");
        return *found->second;
    }

    bool Exists(int index) const { return elements_.count(index) != 0; }
    int LBound() const { return elements_.begin()->first; }
    int UBound() const { return elements_.rbegin()->first; }
    int Count() const { return static_cast<int>(elements_.size()); }

    const std::wstring& ArrayName() const override { return name_; }
    Control& Element(int index) const override { return (*this)(index); }
    std::vector<Control*> Elements() const override
    {
        std::vector<Control*> all;
        for (const auto& [index, element] : elements_)
            all.push_back(element.get());
        return all;
    }

    // A new, hidden element copied from the lowest one; error 360 if it exists.
    T& Load(int index)
    {
        return Load(index, [](T&) {});
    }
    // The same, with properties set by prepare before the element's window is
    // made or taken over: the window then starts out in its place, shown or
    // not, in one step instead of one per property.
    template <typename Prepare> T& Load(int index, Prepare&& prepare)
    {
        if (index < 0 || index > 32767) support::Raise(support::err::ControlArrayElementMissing);
        if (Exists(index)) support::Raise(support::err::ObjectAlreadyLoaded);
        auto element = std::make_unique<T>(*elements_.begin()->second, index);
        prepare(*element);
        if (element->Parent().IsLoaded()) {
            if constexpr (std::is_base_of_v<WindowedControl, T>) {
                auto spare = spareWindows_.extract(index);
                element->Attach(spare ? std::move(spare.mapped()) : WindowedControl::Spare());
            } else {
                element->Attach();
            }
        }
        return *elements_.emplace(index, std::move(element)).first->second;
    }

    // Removes an element loaded at run time; error 362 for the design-time one,
    // 340 for one that does not exist.
    void Unload(int index)
    {
        if (index == designIndex_) support::Raise(support::err::CannotUnloadDesignTimeControl);
        auto found = elements_.find(index);
        if (found == elements_.end()) support::Raise(support::err::ControlArrayElementMissing);
        if constexpr (std::is_base_of_v<WindowedControl, T>) {
            if (WindowedControl::Spare spare = found->second->GiveUpWindow())
                spareWindows_[index] = std::move(spare);
        }
        elements_.erase(found);
    }

    void HideSpareWindows() noexcept override
    {
        for (auto& [index, spare] : spareWindows_) {
            if (!spare.shown) continue;
            parent_.LayoutChanging();
            spare.Hide();
        }
    }

    // Every element loaded at run time goes when the form unloads, and the kept windows with them.
    void UnloadRunTimeElements() override
    {
        std::erase_if(elements_, [&](auto& e) { return e.first != designIndex_; });
        spareWindows_.clear();
    }

    auto begin() const { return elements_.begin(); }
    auto end() const { return elements_.end(); }

private:
    Form& parent_;
    int designIndex_;
    std::wstring name_;
    std::map<int, std::unique_ptr<T>> elements_;
    // Windows that unloaded elements gave up, by index: hidden, or during a
    // drawing freeze perhaps still shown.
    std::map<int, WindowedControl::Spare> spareWindows_;
};

} // namespace toolkit
