#include "engine/ApplicationContexts.h"

#include "engine/Text.h"

namespace tdsim {
namespace {

std::string asStored(const std::string& text)
{
    return rtrimBlanks(text.substr(0, ApplicationContexts::kWidth));
}

}  // namespace

bool ApplicationContexts::set(int spid, const std::string& context, const std::string& attribute,
                              const std::string& value)
{
    return values_[spid]
        .emplace(Key{asStored(context), asStored(attribute)}, asStored(value))
        .second;
}

std::optional<std::string> ApplicationContexts::get(int spid, const std::string& context,
                                                    const std::string& attribute) const
{
    auto session = values_.find(spid);
    if (session == values_.end())
        return std::nullopt;
    auto found = session->second.find(Key{asStored(context), asStored(attribute)});
    if (found == session->second.end())
        return std::nullopt;
    return found->second;
}

bool ApplicationContexts::remove(int spid, const std::string& context, const std::string& attribute)
{
    auto session = values_.find(spid);
    if (session == values_.end())
        return false;
    std::string wantedContext = asStored(context), wantedAttribute = asStored(attribute);
    size_t before = session->second.size();
    for (auto it = session->second.begin(); it != session->second.end();) {
        bool matches = (wantedContext == "*" || it->first.first == wantedContext) &&
                       (wantedAttribute == "*" || it->first.second == wantedAttribute);
        it = matches ? session->second.erase(it) : std::next(it);
    }
    return session->second.size() != before;
}

}  // namespace tdsim
