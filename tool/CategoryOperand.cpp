#include "tool/CategoryOperand.h"

#include "common/CategoryNaming.h"
#include "tool/TerminalText.h"

namespace nestora::tool {

bool isValidCategoryOperand(std::string_view operand) {
    return isPlainCategoryName(operand);
}

std::optional<std::string> identifierForCategoryOperand(std::FILE* out, std::string_view operand) {
    if (!isValidCategoryOperand(operand)) {
        // The operand may come from a file name someone else chose (the
        // all-categories forms): echo it in a form no terminal acts on.
        std::fprintf(out, "ERROR: Invalid category name: %s\n", printableText(operand).c_str());
        return std::nullopt;
    }
    std::string identifier(kCategoryIdentifierPrefix);
    identifier.append(operand);
    return identifier;
}

}  // namespace nestora::tool
