#include "export/StrictJson.h"

namespace quillon {

void refuseJson(const std::string& where, const std::string& what) {
    throw JsonRefusal{where + ": " + what};
}

void onlyMembers(const Json& object, const std::string& where,
                 std::initializer_list<std::string_view> allowed) {
    if (!object.is_object()) refuseJson(where, "must be an object");
    for (const auto& item : object.items()) {
        bool known = false;
        for (std::string_view name : allowed)
            known = known || item.key() == name;
        if (!known) refuseJson(where, "has no member \"" + item.key() + "\"");
    }
}

std::string parseErrorText(const Json::exception& error) {
    // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
    std::string what = error.what();
    size_t cut = what.find("] ");
    return cut == std::string::npos ? what : what.substr(cut + 2);
}

}  // namespace quillon
