// The site's pictures that Graphviz's dot draws (io/GraphRenderer): the module dependencies on
// the index and each form-like module's control containment. Their DOT files are written with
// the pages; batches of them are drawn on threads of their own while the pages are still being
// written (when the run's budget allows), the rest once the pages are done.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/clsVBHeader.h"
#include "output/site/SiteBuilder.h"

namespace qs::site {

// The containment picture: at most kPictureNodes controls (the first ones in file order, so
// every parent drawn comes before its children).
void SiteBuilder::WriteControlPicture(Worker& w, const SiteModule& m, size_t index,
                                      std::string& out) {
  const std::vector<ControlNode>& controls = w.controls;
  constexpr size_t kPictureNodes = 60;
  if (controls.size() >= 2) {
    const size_t shown = std::min(controls.size(), kPictureNodes);
    if (m_dot.Available()) {
      std::string dot =
          "digraph controls {\n  rankdir=LR;\n  ranksep=0.35;\n  nodesep=0.12;\n"
          "  node [shape=box, style=rounded, fontsize=9, height=0.3, fontname=\"sans-serif\"];\n"
          "  edge [arrowsize=0.6];\n";
      for (size_t i = 0; i < shown; ++i) {
        dot += "  n";
        AppendNumber(dot, static_cast<int64_t>(i));
        dot += " [label=\"";
        for (const std::string* part : {&controls[i].record->sName, &controls[i].record->sType}) {
          w.text.clear();
          w.cp.Append(w.text, *part);
          for (const char c : w.text) {
            if (c == '"' || c == '\\') dot += '\\';
            if (static_cast<unsigned char>(c) >= 0x20) dot += c;
          }
          if (part == &controls[i].record->sName) dot += "\\n";
        }
        dot += "\"];\n";
        if (controls[i].parent >= 0) {
          dot += "  n";
          AppendNumber(dot, controls[i].parent);
          dot += " -> n";
          AppendNumber(dot, static_cast<int64_t>(i));
          dot += ";\n";
        }
      }
      dot += "}\n";
      const std::string base = "m" + std::to_string(index + 1) + "-controls";
      WriteFile(m_folder + "/pictures/" + base, {dot});
      AddPicture(m_folder + "/pictures/" + base);
      out += "<figure><img src=\"pictures/" + base + ".svg\" alt=\"Control containment of ";
      out += m.nameHtml;
      out += "\" loading=\"lazy\">";
      if (shown < controls.size()) {
        out += "<figcaption class=\"note\">The first ";
        AppendNumber(out, static_cast<int64_t>(shown));
        out += " of ";
        AppendNumber(out, static_cast<int64_t>(controls.size()));
        out += " controls.</figcaption>";
      }
      out += "</figure>\n";
    } else {
      out += "<p class=\"note\">The picture of the control containment is not drawn: ";
      out += m_pictureNote;
      out += ".</p>\n";
    }
  }
}

// The module dependency picture: an arrow from a module to each module whose declarations it
// uses. Readable at any size: at most kDependencyNodes modules, the most connected ones.
void SiteBuilder::WriteDependencyPicture(std::string& out) {
  constexpr size_t kDependencyNodes = 60;
  std::unordered_map<const clsVBFileType*, size_t> indexOf;
  for (size_t i = 0; i < m_modules.size(); ++i) indexOf.emplace(m_modules[i].source.item, i);
  std::vector<std::pair<size_t, size_t>> edges;
  std::vector<size_t> degree(m_modules.size(), 0);
  std::vector<const clsVBFileType*> uses;
  for (size_t i = 0; i < m_modules.size(); ++i) {
    uses.clear();
    m_options.extras.dependenciesOf(*m_modules[i].source.item, uses);
    for (const clsVBFileType* used : uses) {
      const auto it = indexOf.find(used);
      if (it == indexOf.end() || it->second == i) continue;
      edges.emplace_back(i, it->second);
      ++degree[i];
      ++degree[it->second];
    }
  }
  std::vector<size_t> nodes;
  for (size_t i = 0; i < m_modules.size(); ++i)
    if (degree[i] > 0) nodes.push_back(i);
  if (nodes.empty()) return;
  const size_t connected = nodes.size();
  if (nodes.size() > kDependencyNodes) {
    std::stable_sort(nodes.begin(), nodes.end(),
                     [&](size_t a, size_t b) { return degree[a] > degree[b]; });
    nodes.resize(kDependencyNodes);
    std::sort(nodes.begin(), nodes.end());
  }
  if (!m_dot.Available()) {
    out += "<p class=\"note\">The picture of the module dependencies is not drawn: ";
    out += m_pictureNote;
    out += ".</p>\n";
    return;
  }
  std::vector<char> shown(m_modules.size(), 0);
  for (const size_t n : nodes) shown[n] = 1;
  std::string dot =
      // Dense pictures (hundreds of arrows between 60 modules) take dot minutes with its
      // defaults: fewer passes of crossing minimisation and network simplex, straight arrows.
      "digraph dependencies {\n  rankdir=LR;\n  ranksep=0.5;\n  nodesep=0.15;\n"
      "  mclimit=0.1;\n  nslimit=2;\n  nslimit1=2;\n  splines=line;\n"
      "  node [shape=box, style=rounded, fontsize=9, height=0.3, fontname=\"sans-serif\"];\n"
      "  edge [arrowsize=0.6];\n";
  for (const size_t n : nodes) {
    dot += "  n";
    AppendNumber(dot, static_cast<int64_t>(n));
    dot += " [label=\"";
    for (const char c : m_modules[n].nameUtf8) {
      if (c == '"' || c == '\\') dot += '\\';
      if (static_cast<unsigned char>(c) >= 0x20) dot += c;
    }
    dot += "\"];\n";
  }
  // At most kArrowsFrom arrows from each module, to the most connected of the modules it uses
  // (dot lays out hundreds of arrows between 60 modules slowly, and nobody can follow them).
  constexpr size_t kArrowsFrom = 4;
  std::stable_sort(edges.begin(), edges.end(), [&](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : degree[a.second] > degree[b.second];
  });
  size_t fromCount = 0;
  size_t lastFrom = SIZE_MAX;
  bool cut = false;
  for (const auto& [from, to] : edges) {
    if (!shown[from] || !shown[to]) continue;
    fromCount = from == lastFrom ? fromCount + 1 : 1;
    lastFrom = from;
    if (fromCount > kArrowsFrom) {
      cut = true;
      continue;
    }
    dot += "  n";
    AppendNumber(dot, static_cast<int64_t>(from));
    dot += " -> n";
    AppendNumber(dot, static_cast<int64_t>(to));
    dot += ";\n";
  }
  dot += "}\n";
  const std::string base = "dependencies";
  WriteFile(m_folder + "/pictures/" + base, {dot});
  AddPicture(m_folder + "/pictures/" + base, true);
  out += "<figure><img src=\"pictures/" + base + ".svg\" alt=\"Module dependencies\">";
  if (nodes.size() < connected || cut) {
    out += "<figcaption class=\"note\">";
    if (nodes.size() < connected) {
      out += "The ";
      AppendNumber(out, static_cast<int64_t>(nodes.size()));
      out += " most connected of ";
      AppendNumber(out, static_cast<int64_t>(connected));
      out += " modules. ";
    }
    if (cut) {
      out += "At most ";
      AppendNumber(out, static_cast<int64_t>(kArrowsFrom));
      out += " arrows from each, to the most connected modules it uses; the list below has all.";
    }
    out += "</figcaption>";
  }
  out += "</figure>\n";
}

void SiteBuilder::AddPicture(std::string dotFile, bool now) {
  constexpr size_t kBatch = 256;
  const unsigned drawers = ThreadsFor(0);
  std::lock_guard<std::mutex> guard(m_picturesLock);
  m_pictures.push_back(std::move(dotFile));
  if ((!now && m_pictures.size() - m_picturesSent < kBatch) || m_drawing >= drawers) return;
  std::vector<std::string> batch(m_pictures.begin() + static_cast<std::ptrdiff_t>(m_picturesSent),
                                 m_pictures.end());
  const size_t sent = m_picturesSent;
  m_picturesSent = m_pictures.size();
  ++m_drawing;
  const bool started = m_drawers.TryStart([this, batch = std::move(batch)] {
    std::string failure;
    try {
      failure = m_dot.RenderSvg(batch, batch.size(), 1);
    } catch (const std::bad_alloc&) {
      throw;  // out of memory fails the site (WorkerGroup::Join rethrows it)
    } catch (...) {
      // RenderSvg does not throw; should it, WritePictures writes this in the pictures' place.
      failure = "dot cannot be run";
    }
    std::lock_guard<std::mutex> done(m_picturesLock);
    if (m_drawingFailure.empty()) m_drawingFailure.swap(failure);
    --m_drawing;
  });
  if (!started) {
    m_picturesSent = sent;  // no thread to be had: the batch is drawn with the rest at the end
    --m_drawing;
  }
}

void SiteBuilder::WritePictures() {
  m_drawers.Join();
  if (m_pictures.empty()) return;
  const std::vector<std::string> rest(
      m_pictures.begin() + static_cast<std::ptrdiff_t>(m_picturesSent), m_pictures.end());
  std::string failure = m_dot.RenderSvg(rest);
  if (failure.empty()) failure = m_drawingFailure;
  std::error_code ec;
  for (const std::string& dotFile : m_pictures) {
    YieldPoint();
    std::filesystem::remove(dotFile, ec);
    if (failure.empty() || std::filesystem::exists(dotFile + ".svg", ec)) continue;
    // A picture dot did not draw says so in its place.
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"480\" height=\"40\"><text x=\"8\" "
        "y=\"24\" font-family=\"sans-serif\" font-size=\"13\">Picture not drawn: ";
    AppendHtml(svg, failure);
    svg += "</text></svg>\n";
    WriteFile(dotFile + ".svg", {svg});
  }
  m_pictureNote = failure;
}

}  // namespace qs::site
