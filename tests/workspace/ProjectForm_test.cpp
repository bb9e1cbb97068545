#include "ProjectTestSupport.h"
