// Lays the user document over the library document into the merged tables
// (the current tables while it runs).
#pragma once

#include "compiler_state.hpp"

namespace qx {

// Appends the merge of user element u and library element l, and recursively
// of their children, to the merged tables.
void MergeElements(CompilerState& s, int u, int l);

// Merged element m gets library element l's attributes with user element u's
// values, followed by the attributes only u has.
void MergeAttributes(CompilerState& s, int l, int u, int m);

// The newest merged element gets a copy of r's attributes / texts.
void CopyAttributes(CompilerState& s, const ElementRecord& r, const DocumentTables& source);
void CopyTexts(CompilerState& s, const ElementRecord& r, const DocumentTables& source);

// Appends source element `start` and its live descendants up to `last`.
void CopySubtree(CompilerState& s, const DocumentTables& source, int start, int last);

// Recomputes parent, childCount and firstChild of the current element table
// from its level sequence (pre-order).
void RebuildParentLinks(CompilerState& s);

}  // namespace qx
