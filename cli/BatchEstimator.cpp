#include "BatchEstimator.h"

#include "Messages.h"

#include "app/Identity.h"

BatchEstimator::BatchEstimator(NumberRules::Separators separators)
    : form_(*this, appIdentity(), std::move(separators))
{
}

Answer BatchEstimator::ask(const Message& message)
{
    message_ = message.text;
    asked_ = true;
    return message.buttons == MessageButtons::Ok ? Answer::Ok : Answer::No;
}

BatchEstimator::Result BatchEstimator::estimate(const QString& input)
{
    FieldSet& fields = form_.fields();
    fields.restoreDesign();
    form_.Form_Load();
    asked_ = false;

    fields.setText(Control::txtSerial, input);
    if (fields.text(Control::txtSerial).isEmpty())
        return {false, Messages::notASerialNumber()};
    form_.cmdCalculate_Click();
    if (asked_)
        return {false, message_};
    return {true, {}};
}
