#pragma once
// The tables of the terminal run: the device's identification and live values, a row a value
// with its label, read from the DTM's data set of the instance.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/FrameWords.h"
#include "value/NumberText.h"

namespace kv {
class IDTMContext;
class clsDataElement;
}  // namespace kv

namespace kv::program {

struct Row {
    std::string label;
    std::string value;
};

// The width of the label column of the tables.
size_t LabelWidth(const std::vector<std::vector<Row>>& tables);

void PrintRows(const std::string& heading, const std::vector<Row>& rows, size_t width);

// The device's identification and live values, with numbers as the language writes them.
void PrintDeviceValues(IDTMContext& context, int32_t language, const FrameWords& words);

// Reads the values the DTM holds for the instance. A row's label is the element's, or the
// fallback when the element has none.
class Values {
  public:
    Values(IDTMContext& context, const NumberLocale& locale) : context_(context), locale_(locale) {}

    Row Text(const std::string& path, const std::string& fallback) const;
    // A number with its unit, and the status of the record when it has one.
    Row Number(const std::string& path, const std::string& statusPath,
               const std::string& fallback) const;
    Row Choice(const std::string& path, const std::string& fallback) const;
    // The labels of the members of a bit record that are set.
    Row Active(const std::string& record, const std::string& fallback,
               const std::string& none) const;

  private:
    clsDataElement* Find(const std::string& path) const;
    std::string Label(const std::string& path, const std::string& fallback) const;
    // The text of a value from the element's value list; the number when the list has none.
    std::string Listed(const std::string& path) const;

    IDTMContext& context_;
    NumberLocale locale_;
};

}  // namespace kv::program
