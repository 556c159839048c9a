#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace mnemora {

// A failure that the user sees. The text is exactly what the error box shows
// (before the full-stop rule); kind() names the failure in the fatal box.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    [[nodiscard]] virtual const char* kind() const noexcept { return "Exception"; }
};

// "Cannot open file ...", "Cannot create file ...", "Stream write error".
class FileError : public Error {
public:
    using Error::Error;
    [[nodiscard]] const char* kind() const noexcept override { return "EFCreateError"; }
};

// "Invalid data type for '...'", "Failed to get data for '...'", ...
class RegistryError : public Error {
public:
    using Error::Error;
    [[nodiscard]] const char* kind() const noexcept override { return "ERegistryException"; }
};

// Text that has no place in an 8-bit Cyrillic file.
class EncodingError : public Error {
public:
    using Error::Error;
    [[nodiscard]] const char* kind() const noexcept override { return "EConvertError"; }
};

// The error box adds a full stop when the last character sorts after ".".
std::string withFullStop(std::string_view text);

// The box shown when start-up fails before the event loop runs:
// "Exception <kind> in module <module> at <address>." and, on the next line,
// the failure's text ending in a full stop.
std::string formatFatalError(std::string_view kind, std::string_view module, std::uintptr_t address,
                             std::string_view text);

}  // namespace mnemora
