#pragma once

// Late binding to automation objects: an object is created from its
// programmatic identifier and driven by member name, each call resolving the
// name and invoking it as a method or as a property put, as IDispatch does.
// Each build links exactly one backend: COM on Windows, the emulated machine
// elsewhere.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform::automation {

class Dispatch;

// Objects are reference counted, as automation objects are: the last owner
// releases it.
using Object = std::shared_ptr<Dispatch>;

// Text handed over by reference; the callee reads it and leaves it as it is.
using TextRef = std::reference_wrapper<const std::u16string>;

using Variant = std::variant<std::monostate, TextRef, std::int16_t, bool, double, Object>;

// The one error every automation failure raises. The description is the
// platform's own text and is never empty.
class Error : public std::exception
{
public:
    // An empty description is replaced by one that names the code.
    Error(std::int32_t code, std::u16string description);

    std::int32_t code() const { return code_; }
    const std::u16string& description() const { return description_; }
    const char* what() const noexcept override { return utf8Description_.c_str(); }

private:
    std::int32_t code_;
    std::u16string description_;
    std::string utf8Description_;
};

class Dispatch
{
public:
    virtual ~Dispatch() = default;

    virtual Variant call(std::u16string_view member, const std::vector<Variant>& arguments) = 0;
    virtual void set(std::u16string_view member, const Variant& value) = 0;
};

Object CreateObject(std::u16string_view progId);

} // namespace platform::automation
