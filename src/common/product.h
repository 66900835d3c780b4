#pragma once
// The product's own texts: its name and version, the maker's addresses and notices.

namespace trelvane {

inline constexpr const char16_t* ProductLine = u"Trelvane 4.40";
inline constexpr const char16_t* MakerWebAddress = u"https://trelvane.org";
inline constexpr const char16_t* SupportForumAddress = u"https://trelvane.org/forum";
// The chooser's bottom label.
inline constexpr const char16_t* MakerNotice = u"Trelvane — стирание дисков. Используйте с осторожностью.";
// The main window's bottom link label: the notice followed by the maker's web address.
inline constexpr const char16_t* MakerLinkNotice = u"Trelvane — ";

}  // namespace trelvane
