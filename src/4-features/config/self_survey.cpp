#include "config/self_survey.h"

#include <string>

#include "base/application.h"
#include "commands/commands.h"
#include "config/self_survey_form.h"

namespace zelkon {

WindowValues<SelfSurveyParams> ReadSelfSurveyParams(const TForm_SelfSurvey& form) {
  FieldReader read;
  SelfSurveyParams params;
  params.enable = form.CheckBox_EnableSurvey.Checked() ? 1 : 0;
  params.save = form.CheckBox_Flag.Checked() ? 1 : 0;
  params.limit = static_cast<uint32_t>(read.Whole(form.Edit_Limit, "Self Survey Limit", kU32));
  return read.Result(params);
}

WindowValues<uint32_t> ReadSurveyLimit(const TForm_VarnelSurvey& form) {
  FieldReader read;
  const uint32_t limit =
      static_cast<uint32_t>(read.Whole(form.Edit_Limit, "Auto-survey Limit", kU32));
  return read.Result(limit);
}

void ShowSelfSurveyParams(TForm_SelfSurvey& form, SegmentReadback& readback,
                          const SelfSurveyParams& report) {
  form.CheckBox_EnableSurvey.SetChecked(report.enable != 0);
  form.CheckBox_Flag.SetChecked(report.save != 0);
  form.Edit_Limit.SetText(std::to_string(report.limit));
  readback.selfSurveyLimit = report.limit;
}

void ShowSurveyLimit(TForm_VarnelSurvey& form, const SurveyLimit& report) {
  form.Edit_Limit.SetText(std::to_string(report.limit));
}

void WireSelfSurveyWindow(Application& app, TForm_SelfSurvey& form) {
  form.OnActivate = [&app] { SendSelfSurveyParamsQuery(app); };
  form.Button_Set.OnClick = [&app, &form] {
    SendOrWarn(app, ReadSelfSurveyParams(form), [&app](const SelfSurveyParams& p) {
      SendSelfSurveyParams(app, p.enable, p.save, p.limit);
    });
  };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

void WireVarnelSurveyWindow(Application& app, TForm_VarnelSurvey& form) {
  form.OnActivate = [&app] { SendSurveyLimitQuery(app); };
  form.Button_Set.OnClick = [&app, &form] {
    SendOrWarn(app, ReadSurveyLimit(form), [&app](uint32_t limit) { SendSurveyLimit(app, limit); });
  };
  form.Button_Close.OnClick = [&form] { form.Close(); };
}

}  // namespace zelkon
