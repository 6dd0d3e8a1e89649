#include "lists/wrk_list_tools.h"

TWrkListTools& WrkListTools()
{
    static TWrkListTools tools;
    return tools;
}
