// A RapidJSON value written back as compact JSON text, for comparing parts of an export.
#pragma once

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <string>

namespace qs::test {

inline std::string Compact(const rapidjson::Value& v) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
  v.Accept(w);
  return buffer.GetString();
}

}  // namespace qs::test
