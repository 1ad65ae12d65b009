// The rewriting rules of simplification, applied as nodes are made: each
// maker returns a node that evaluates like the connective or quantifier
// of its operands, with the same draws in the same order on every path.
// AND and OR evaluate left to right and stop once the left operand
// decides, so an operand that may be evaluated is dropped only when it
// draws nothing.
#pragma once

#include "behaviour/formula_graph.h"

Node_Id make_not(Formula_Graph& graph, Node_Id operand);
Node_Id make_and(Formula_Graph& graph, Node_Id left, Node_Id right);
Node_Id make_or(Formula_Graph& graph, Node_Id left, Node_Id right);
Node_Id make_binary(Formula_Graph& graph, Node_Kind kind, Node_Id left, Node_Id right);

// A quantifier that binds its letter where it stands, around its body.
// Ranges are never empty (three players or more), so a constant body is
// the answer, and so is a draw-free body that does not name the letter;
// draw-free operands of the body that do not name it are taken out.
Node_Id make_quantifier(Formula_Graph& graph, Node_Kind kind, int32_t letter, Node_Id body);
