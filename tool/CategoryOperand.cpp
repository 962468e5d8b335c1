#include "tool/CategoryOperand.h"

#include "common/CategoryNaming.h"

namespace nestora::tool {

bool isValidCategoryOperand(std::string_view operand) {
    if (operand.empty()) {
        return false;
    }
    for (char c : operand) {
        const auto byte = static_cast<unsigned char>(c);
        // A dot would change how the identifier splits into its parts (and
        // "." / ".." would climb out of the folder); a slash adds components.
        if (c == '/' || c == '.' || byte < 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> identifierForCategoryOperand(std::FILE* out, std::string_view operand) {
    if (!isValidCategoryOperand(operand)) {
        std::fprintf(out, "ERROR: Invalid category name: %.*s\n", static_cast<int>(operand.size()), operand.data());
        return std::nullopt;
    }
    std::string identifier(kCategoryIdentifierPrefix);
    identifier.append(operand);
    return identifier;
}

}  // namespace nestora::tool
