#include "graph/uclZvdGraph.h"
