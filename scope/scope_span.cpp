#include "scope/scope_span.h"

TParaRec SpanDescription(const TParaRec& Para)
{
    TParaRec span = Para;
    span.Offset = 0;
    return span;
}
