#pragma once

#include <string>
#include <string_view>

// Picks the fields of a bank account opening licence out of its recognised
// text (all lines joined): approval number, number, company, legal
// representative, bank and account. Empty when the text is not such a licence.
std::wstring ParseAccountLicence(std::wstring_view text);
