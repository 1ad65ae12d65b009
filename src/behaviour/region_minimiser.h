// Minimisation of draw-free boolean regions by their truth tables. A
// region draws nothing, so its value in a decision depends only on the
// values of its variables there (atoms and quantified subformulae, taken
// as independent): any formula with the same truth table over them plays
// alike, and the smallest of a few forms is taken when it is smaller than
// the region as it stands.
#pragma once

#include "behaviour/formula_graph.h"

// The region rooted at `root`, or the smallest of its other forms: the
// sum of prime implicants chosen by a greedy cover, flat and with shared
// literals factored out, and the negations of the same for the complement. A region of more than MOST_TABLE_VARIABLES
// variables is not tabulated as a whole; its largest parts that have few
// enough are. Nodes that are no region come back as they are.
Node_Id minimise_region(Formula_Graph& graph, Node_Id root);
