#pragma once
// A strict XML 1.0 well-formedness check, enough for property lists: a
// declaration, a DOCTYPE with an external identifier, elements with
// attributes, character data with the five predefined entities and character
// references, all in UTF-8 of XML characters. Anything else is refused.

#include <optional>
#include <string>
#include <string_view>

// nullopt when `document` is well-formed; otherwise what is wrong and where.
std::optional<std::string> XmlWellFormednessError(std::string_view document);
