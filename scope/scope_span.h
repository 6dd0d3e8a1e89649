#pragma once

// A span on a parameter's scale (the difference of two values, a channel's
// factor in raw units per division) converts with the multiplier and
// divisor only: the display offset belongs to a value, not to a span.

#include "config/cfg_records.h"

// The description without its offset, for converting spans to and from
// text with the parameter's own format.
TParaRec SpanDescription(const TParaRec& Para);
