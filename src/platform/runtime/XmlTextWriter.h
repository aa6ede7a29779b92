#pragma once
// A pugixml writer that appends the written XML to a string, for documents and nodes printed
// into text without a stream between.

#include <cstddef>
#include <pugixml.hpp>
#include <string>

namespace kv {

class XmlTextWriter : public pugi::xml_writer {
  public:
    explicit XmlTextWriter(std::string& text) : text_(text) {}
    void write(const void* data, size_t size) override {
        text_.append(static_cast<const char*>(data), size);
    }

  private:
    std::string& text_;
};

}  // namespace kv
