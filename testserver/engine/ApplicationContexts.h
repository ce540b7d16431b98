// Application contexts (set_appcontext, get_appcontext, rm_appcontext): attribute values
// under a context name that last as long as the session that set them.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace tdsim {

class ApplicationContexts {
public:
    // Names and values are kept as char(30): longer ones are cut, trailing blanks dropped.
    static constexpr size_t kWidth = 30;

    // False when the attribute already has a value in that context (values are never
    // overwritten: a context is removed and set again).
    bool set(int spid, const std::string& context, const std::string& attribute,
             const std::string& value);
    std::optional<std::string> get(int spid, const std::string& context,
                                   const std::string& attribute) const;
    // "*" as context or attribute matches every one; false when nothing matched.
    bool remove(int spid, const std::string& context, const std::string& attribute);
    // A session's contexts end with it; a new session with the same spid starts empty.
    void startSession(int spid) { values_.erase(spid); }

private:
    using Key = std::pair<std::string, std::string>;  // context, attribute
    std::map<int, std::map<Key, std::string>> values_;
};

}  // namespace tdsim
