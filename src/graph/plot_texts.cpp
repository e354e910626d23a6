#include "graph/plot_texts.h"

namespace plorimet {

namespace {

struct PlotTextPair {
    const char* english;
    const char* japanese;
};

// u8: these stay UTF-8 whatever the compiler's execution character set.
constexpr PlotTextPair kPlotTexts[] = {
    {u8"Plot", u8"プロット"},
    {u8"X axis", u8"X 軸"},
    {u8"Y axis", u8"Y 軸"},
    {u8"Residuals", u8"残差"},
    {u8"Residual axis", u8"残差の軸"},
    {u8"Legend", u8"凡例"},
    {u8"Data", u8"データ"},
    {u8"Fitted curve", u8"近似曲線"},
    {u8"95% confidence band", u8"95% 信頼帯"},
    {u8"95% prediction band", u8"95% 予測帯"},
    {u8"No band: the curve passes through every point (no residual degrees of freedom).",
     u8"帯はありません: 曲線がすべての点を通ります (残差の自由度が 0)。"},
    {u8"Band", u8"帯"},
    {u8"Confidence", u8"信頼帯"},
    {u8"Prediction", u8"予測帯"},
    {u8"None", u8"なし"},
    {u8"Residuals", u8"残差"},
};
static_assert(sizeof kPlotTexts / sizeof kPlotTexts[0] == static_cast<int>(PlotTextId::Count));

}  // namespace

const char* PlotText(PlotTextId id, UiLanguage language) {
    const PlotTextPair& pair = kPlotTexts[static_cast<int>(id)];
    return language == UiLanguage::Japanese ? pair.japanese : pair.english;
}

}  // namespace plorimet
