#include "tool/CategoryOperand.h"

#include "common/CategoryNaming.h"

namespace nestora::tool {

bool isValidCategoryOperand(std::string_view operand) {
    return isPlainCategoryName(operand);
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
