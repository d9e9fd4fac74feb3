#include "library/language/expression.h"

#include <array>

#include "library/language/handler.h"
#include "library/language/identifier_table.h"
#include "library/language/status_map.h"

namespace vortab {

Value TStack::pop() {
    if (values_.empty()) return Value();
    Value v = std::move(values_.back());
    values_.pop_back();
    return v;
}

const Value* TStack::peek(int depth) const {
    if (depth < 0 || static_cast<std::size_t>(depth) >= values_.size()) return nullptr;
    return &values_[values_.size() - 1 - static_cast<std::size_t>(depth)];
}

std::size_t TFactor::PerformAdvanceCount(TStack& stack) const {
    if (advanceCount == 0) return 0;
    const bool skipWhen = advanceCount > 0;
    const Value* tested = stack.peek(stackDepth);
    if (!tested || tested->kind() != ValueKind::Boolean || tested->rawBoolean() != skipWhen)
        return 0;
    stack.push(Value());
    return static_cast<std::size_t>(advanceCount > 0 ? advanceCount : -advanceCount);
}

std::size_t TConstant::UseStack(TStack& stack) {
    if (std::size_t n = PerformAdvanceCount(stack); n > 0) return n - 1;
    stack.push(value);
    return 0;
}

int TOperation::Arity() const { return entry ? vortab::Arity(*entry) : 0; }

std::size_t TOperation::UseStack(TStack& stack) {
    if (!entry) return 0;
    const int arity = Arity();
    std::array<Value, 10> args;
    for (int slot = arity - 1; slot >= 0; --slot) args[static_cast<std::size_t>(slot)] = stack.pop();
    if (std::size_t n = PerformAdvanceCount(stack); n > 0) return n - 1;
    Value result;
    FromOpaque(entry->handler)(*entry, *Owner, arity, result, args.data());
    if (entry->resultType != vtNone) stack.push(std::move(result));
    return 0;
}

void TExpression::Clear() {
    FreeAll();
    stack.clear();
    status = 0;
    flags = 0;
    resultType = vtNone;
    familyFlags.fill(false);
}

std::size_t TExpression::OperandStart(std::size_t last) const {
    std::size_t j = last;
    int pending = At(j).Arity();
    while (pending > 0 && j > 0) {
        --j;
        pending += At(j).Arity() - 1;
    }
    return j;
}

void TExpression::PostCompile() {
    status = 0;
    flags = 0;
    stack.clear();
    if (Count() == 1 && dynamic_cast<TConstant*>(&At(0))) {
        At(0).UseStack(stack);
        flags |= kPrecomputed;
        return;
    }
    for (std::size_t b = Count(); b-- > 1;) {
        auto* op = dynamic_cast<TOperation*>(&At(b));
        if (!op || !op->entry || op->entry->kind <= 15) continue;
        const std::size_t d = OperandStart(b - 1);
        const auto bi = static_cast<std::int64_t>(b), di = static_cast<std::int64_t>(d);
        switch (ShortCircuitForm(*op->entry)) {
            case kShortCircuitOr:
                At(d).advanceCount = bi - di;
                break;
            case kShortCircuitAnd:
                At(d).advanceCount = di - bi;
                break;
            case kShortCircuitIf: {
                if (d == 0) break;
                const std::size_t e = OperandStart(d - 1);
                At(e).advanceCount = static_cast<std::int64_t>(e) - di;
                At(d).advanceCount = bi - di;
                At(d).stackDepth = 1;
                break;
            }
            default:
                break;
        }
    }
}

RunResult TExpression::Run() {
    if (!(flags & kPrecomputed)) {
        status = 0;
        stack.clear();
        try {
            for (std::size_t i = 0; i < Count() && status == 0;) {
                i += At(i).UseStack(stack) + 1;
            }
        } catch (...) {
            status = EvaluationStatus(std::current_exception());
        }
    }
    RunResult result;
    result.status = status;
    if (status == 0) {
        if (const Value* v = stack.bottom()) result.value = *v;
    } else {
        stack.clear();
    }
    return result;
}

double TExpression::ValueAsNumber() {
    RunResult r = Run();
    if (r.value.isEmpty()) return 0;
    return r.value.toNumber();
}

}  // namespace vortab
