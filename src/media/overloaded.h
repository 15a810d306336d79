#pragma once

namespace ondrix {

// One visitor from several lambdas, for std::visit over a phase.
template <typename... Lambdas>
struct overloaded : Lambdas... {
    using Lambdas::operator()...;
};

}  // namespace ondrix
