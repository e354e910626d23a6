// The plot as SVG: one element per shape of the plan, in its units.
#include <cmath>
#include <cstdio>

#include "base/shortest_number.h"
#include "graph/plot.h"

namespace plorimet {

namespace {

// A coordinate to a hundredth of a unit, without trailing zeros.
void AppendUnits(std::string& out, double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.2f", v);
    std::string s = text;
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0') s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    out += s == "-0" ? "0" : s;
}

void AppendXml(std::string& out, const std::string& text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

void AppendColour(std::string& out, const PlotColour& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.red, c.green, c.blue);
    out += text;
}

void AppendPoints(std::string& out, const std::vector<PlotPoint>& points) {
    for (size_t k = 0; k < points.size(); ++k) {
        if (k) out += ' ';
        AppendUnits(out, points[k].x);
        out += ',';
        AppendUnits(out, points[k].y);
    }
}

void AppendNumbers(std::string& out, const char* attribute, const std::vector<double>& values) {
    out += ' ';
    out += attribute;
    out += "=\"";
    for (size_t k = 0; k < values.size(); ++k) {
        if (k) out += ' ';
        AppendShortestNumber(out, values[k]);
    }
    out += '"';
}

const char* AnchorName(TextAnchor anchor) {
    return anchor == TextAnchor::Middle ? "middle" : anchor == TextAnchor::End ? "end" : "start";
}

void AppendGroup(std::string& out, const PlotGroup& group, int clipId) {
    out += "<g";
    if (!group.name.empty()) {
        out += " role=\"group\" aria-label=\"";
        AppendXml(out, group.name);
        out += '"';
    }
    if (group.clip) out += " clip-path=\"url(#plorimet-plot-clip-" + std::to_string(clipId) + ")\"";
    if (!group.bandX.empty()) {
        AppendNumbers(out, "data-x", group.bandX);
        AppendNumbers(out, "data-low", group.bandLow);
        AppendNumbers(out, "data-high", group.bandHigh);
    }
    out += ">\n";
    for (const PlotArea& area : group.areas) {
        out += "<polygon points=\"";
        AppendPoints(out, area.outline);
        out += "\" fill=\"";
        AppendColour(out, area.colour);
        out += '"';
        if (area.opacity < 1.0) {
            out += " fill-opacity=\"";
            AppendUnits(out, area.opacity);
            out += '"';
        }
        out += "/>\n";
    }
    for (const PlotLine& line : group.lines) {
        out += "<polyline points=\"";
        AppendPoints(out, line.points);
        out += "\" fill=\"none\" stroke=\"";
        AppendColour(out, line.colour);
        out += "\" stroke-width=\"";
        AppendUnits(out, line.width);
        out += "\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n";
    }
    for (const PlotDot& dot : group.dots) {
        out += "<circle cx=\"";
        AppendUnits(out, dot.centre.x);
        out += "\" cy=\"";
        AppendUnits(out, dot.centre.y);
        out += "\" r=\"";
        AppendUnits(out, dot.radius);
        out += "\" fill=\"#ff0000\" stroke=\"#000000\" stroke-width=\"1\"/>\n";
    }
    for (const PlotLabel& text : group.texts) {
        out += "<text x=\"";
        AppendUnits(out, text.at.x);
        out += "\" y=\"";
        AppendUnits(out, text.at.y);
        out += "\" font-size=\"";
        AppendUnits(out, text.size);
        out += "\" text-anchor=\"";
        out += AnchorName(text.anchor);
        out += "\" fill=\"";
        AppendColour(out, text.colour);
        out += "\">";
        AppendXml(out, text.text);
        out += "</text>\n";
    }
    out += "</g>\n";
}

}  // namespace

std::string PlotSvgText(const PlotPlan& plan) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"";
    AppendUnits(out, plan.width);
    out += "\" height=\"";
    AppendUnits(out, plan.height);
    out += "\" viewBox=\"0 0 ";
    AppendUnits(out, plan.width);
    out += ' ';
    AppendUnits(out, plan.height);
    out += "\" role=\"figure\" aria-label=\"";
    AppendXml(out, plan.name);
    out += "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\">\n<title>";
    AppendXml(out, plan.name);
    out += "</title>\n<defs>\n";
    int clips = 0;
    for (const PlotGroup& group : plan.groups) {
        if (!group.clip) continue;
        out += "<clipPath id=\"plorimet-plot-clip-" + std::to_string(clips++) + "\"><rect x=\"";
        AppendUnits(out, group.clip->left);
        out += "\" y=\"";
        AppendUnits(out, group.clip->top);
        out += "\" width=\"";
        AppendUnits(out, group.clip->width);
        out += "\" height=\"";
        AppendUnits(out, group.clip->height);
        out += "\"/></clipPath>\n";
    }
    out += "</defs>\n";
    clips = 0;
    for (const PlotGroup& group : plan.groups) AppendGroup(out, group, group.clip ? clips++ : -1);
    out += "</svg>\n";
    return out;
}

}  // namespace plorimet
