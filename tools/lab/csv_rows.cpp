#include "csv_rows.h"

#include <charconv>

const char* const CSV_HEADER = "seed,generation,player,formula,size,t,r,p,s,score,rounds,id,parent1,parent2,mutated\n";
const char* const ANALYSIS_COLUMNS = ",simplified,simplified_size,plays_like,behaviour";

namespace {

void append_number(std::string& out, int64_t value) {
  char digits[24];
  auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

}  // namespace

void append_csv_row(std::string& out, int32_t seed, int32_t generation, int32_t player,
                    const std::string& formula_field, int64_t size, const Result& result, int32_t rounds,
                    const Lineage& lineage, std::string_view more_fields) {
  for (int64_t value : {int64_t{seed}, int64_t{generation}, int64_t{player}}) {
    append_number(out, value);
    out += ',';
  }
  out += formula_field;
  for (int64_t value :
       {size, int64_t{result.t}, int64_t{result.r}, int64_t{result.p}, int64_t{result.s}, int64_t{result.score}}) {
    out += ',';
    append_number(out, value);
  }
  for (int64_t value : {int64_t{rounds}, lineage.id}) {
    out += ',';
    append_number(out, value);
  }
  for (int64_t parent : {lineage.parent1, lineage.parent2}) {
    out += ',';
    if (parent != NO_PARENT) append_number(out, parent);
  }
  out += lineage.mutated ? ",1" : ",0";
  out += more_fields;
  out += '\n';
}
