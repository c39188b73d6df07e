#pragma once

#include <utility>

namespace tessaline {

// Owns one font handle: the destructor deletes it, exactly once. `Traits` gives the handle type
// and its delete call, so the ownership rules are tested without a window system.
template <class Traits>
class OwnedFont {
  public:
    using Handle = typename Traits::Handle;

    OwnedFont() = default;
    explicit OwnedFont(Handle font) : m_font(font) {}
    ~OwnedFont() { Delete(); }
    OwnedFont(const OwnedFont&) = delete;
    OwnedFont& operator=(const OwnedFont&) = delete;
    OwnedFont(OwnedFont&& other) noexcept : m_font(std::exchange(other.m_font, Handle{})) {}
    // Takes the other font first and deletes the one held before only then.
    OwnedFont& operator=(OwnedFont&& other) noexcept {
        if (this != &other) {
            const Handle old = std::exchange(m_font, std::exchange(other.m_font, Handle{}));
            if (old != Handle{}) {
                Traits::Delete(old);
            }
        }
        return *this;
    }

    Handle get() const { return m_font; }
    explicit operator bool() const { return m_font != Handle{}; }

  private:
    void Delete() {
        if (m_font != Handle{}) {
            Traits::Delete(std::exchange(m_font, Handle{}));
        }
    }

    Handle m_font{};
};

// Makes `made` the font in use: `give` hands it to the controls, and only then is the font they
// had deleted. A font that could not be made (null) changes nothing: the controls keep theirs.
template <class Traits, class Give>
bool ReplaceFont(OwnedFont<Traits>& current, typename Traits::Handle made, Give&& give) {
    OwnedFont<Traits> next(made);
    if (!next) {
        return false;
    }
    give(next.get());
    current = std::move(next);
    return true;
}

}  // namespace tessaline
