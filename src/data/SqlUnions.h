#pragma once

#include "data/SqlDialect.h"
#include "data/SqlTokens.h"

// The dialect layer's last rewrite: ... union ... -> ... union all ... in every scope of
// the statement where no row can come from two branches, judged by the schema's facts
// (the rule is told where it is made).
void MakeDisjointUnionsAll(SqlTokens::Tokens& t, const TSchemaFacts& facts);
