// A compiled script line and the machine that evaluates it. TExpression holds the factors in
// postfix order (TConstant values and TOperation calls of identifier entries) and a value stack.
// The post-compile pass gives AND, OR and IF their short-circuit skips, so that an operand that
// is not needed (the branch of IF not taken) is replaced by an empty value and never runs.
// Run() evaluates once and turns any failure into a status code 100 to 104.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "library/language/object_list.h"
#include "library/language/value.h"
#include "shared/identifier_entry.h"
#include "shared/status_code.h"

namespace vortab {

class TExpression;
class TExpressionSV;
class IdentifierChain;

// The evaluation stack.
class TStack {
public:
    void push(Value v) { values_.push_back(std::move(v)); }
    Value pop();
    // The value `depth` places below the top (0 = top), or null when the stack is shallower.
    const Value* peek(int depth) const;
    const Value* bottom() const { return values_.empty() ? nullptr : &values_.front(); }
    std::size_t size() const { return values_.size(); }
    void clear() { values_.clear(); }

private:
    std::vector<Value> values_;
};

class TFactor {
public:
    explicit TFactor(TExpression* owner) : Owner(owner) {}
    virtual ~TFactor() = default;
    // Applies the factor to the stack; returns how many of the following factors to skip.
    virtual std::size_t UseStack(TStack& stack) = 0;
    // How many stack values the factor consumes.
    virtual int Arity() const { return 0; }
    // The short-circuit test: pushes an empty value and returns the skip count when it fires.
    std::size_t PerformAdvanceCount(TStack& stack) const;

    TExpression* Owner;
    int stackDepth = 0;
    std::int64_t advanceCount = 0;  // >0 skip when TRUE, <0 skip when FALSE
};

class TConstant : public TFactor {
public:
    TConstant(TExpression* owner, Value value) : TFactor(owner), value(std::move(value)) {}
    std::size_t UseStack(TStack& stack) override;
    Value value;
};

class TOperation : public TFactor {
public:
    TOperation(TExpression* owner, const IdentifierEntry* entry) : TFactor(owner), entry(entry) {}
    std::size_t UseStack(TStack& stack) override;
    int Arity() const override;
    const IdentifierEntry* entry;
};

struct RunResult {
    StatusCode status = 0;
    Value value;
};

class TExpression : public tObjectList<TFactor> {
public:
    explicit TExpression(TExpressionSV* owner = nullptr) : owner(owner) {}

    // Compiles a line (compiler.cpp): 0, or the compile error 1..8. Driver restrictions and
    // other failures are thrown to the caller.
    int Compile(const std::string& line, const IdentifierChain& chain);
    // Pre-computes a lone constant and sets the short-circuit skips.
    void PostCompile();
    RunResult Run();
    // Runs, then empty gives 0 and any other value is converted to a number.
    double ValueAsNumber();
    void Clear();

    std::string source;
    std::string errorText;
    std::uint8_t resultType = vtNone;
    TStack stack;
    StatusCode status = 0;
    std::uint16_t flags = 0;
    std::array<bool, 11> familyFlags{};
    TExpressionSV* owner;

    static constexpr std::uint16_t kPrecomputed = 1;

private:
    std::size_t OperandStart(std::size_t last) const;
    void CheckDriverRestrictions() const;
};

// The wrapper the entry points use: owns one expression and forwards to it.
class TExpressionSV {
public:
    TExpressionSV() : expression_(std::make_unique<TExpression>(this)) {}
    int Compile(const std::string& line, const IdentifierChain& chain) {
        return expression_->Compile(line, chain);
    }
    std::uint8_t ResultType() const { return expression_->resultType; }
    RunResult Run() { return expression_->Run(); }
    double ValueAsNumber() { return expression_->ValueAsNumber(); }
    TExpression& expression() { return *expression_; }

private:
    std::unique_ptr<TExpression> expression_;
};

}  // namespace vortab
