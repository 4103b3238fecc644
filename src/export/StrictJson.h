// Reading JSON that this program wrote (manifests, recovery files) strictly:
// an unknown member or a value of the wrong type refuses the whole text, and
// the refusal names the member at fault as a path ("rows[2].cells").
#pragma once

#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace quillon {

using Json = nlohmann::ordered_json;

// Thrown by the readers below; the text is "<where>: <what is wrong>".
struct JsonRefusal {
    std::string text;
};

[[noreturn]] void refuseJson(const std::string& where, const std::string& what);

// Refuses an object holding a member not named in `allowed`, or a value that
// is no object.
void onlyMembers(const Json& object, const std::string& where,
                 std::initializer_list<std::string_view> allowed);

// The library's refusal as the user reads it, without its exception's name:
// "parse error at line 3, column 5: ...", "number overflow parsing '1E999'".
std::string parseErrorText(const Json::exception& error);

// Parses `text` and hands the JSON to `read`, which refuses with refuseJson.
// Result is a {std::optional<T>, std::string reason} pair-like struct: what
// `read` gave, or nothing and why the text was refused.
template <typename Result, typename Read>
Result readStrictJson(std::string_view text, Read&& read) {
    try {
        return {read(Json::parse(text.begin(), text.end())), ""};
    } catch (const Json::exception& error) {
        // A parse error, or a number too large for any type (out_of_range).
        return {std::nullopt, parseErrorText(error)};
    } catch (const JsonRefusal& error) {
        return {std::nullopt, error.text};
    }
}

}  // namespace quillon
