#include "report/ReportPresenter.h"

ReportPresenterFactory& InstalledPresenterFactory()
{
    static ReportPresenterFactory factory;
    return factory;
}
