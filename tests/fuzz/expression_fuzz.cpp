// Formulas: whatever the text, parsing and each of the four readers either give a value or raise
// EExpression; nothing crashes, overflows or runs without end. Names resolve to small trees, and
// R to the formula itself a few levels deep, so nested parses are covered too.
#include "calculators/prExpr.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int depth = 0;
    TIdentifierResolver resolver;
    resolver = [&](const std::string& name, TParameterListPtr& parameters) -> TExpressionPtr {
        if (name == "A")
            return std::make_unique<TIntegerLiteral>(-2147483647 - 1);
        if (name == "S")
            return std::make_unique<TStringLiteral>("x'y");
        if (name == "F")
            return std::make_unique<TTypeCast>(TExprValueKind::Float, std::move(parameters));
        if (name == "R" && depth < 3) {
            ++depth;
            struct Leave {
                int& depth;
                ~Leave() { --depth; }
            } leave{depth};
            return ParseExpression(text, resolver);
        }
        return nullptr;
    };
    try {
        const auto tree = ParseExpression(text, resolver);
        const auto readers = {
            +[](const TExpression& node) { (void)node.GetString(); },
            +[](const TExpression& node) { (void)node.GetFloat(); },
            +[](const TExpression& node) { (void)node.GetInteger(); },
            +[](const TExpression& node) { (void)node.GetBoolean(); },
            +[](const TExpression& node) { (void)node.ResultKind(); },
        };
        for (const auto read : readers) {
            try {
                read(*tree);
            } catch (const EExpression&) {
            }
        }
    } catch (const EExpression&) {
    }
    return 0;
}
