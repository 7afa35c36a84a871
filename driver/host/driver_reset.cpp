#include "driver_reset.h"

#include "alloc.h"
#include "config/config_record.h"
#include "config/model_table.h"
#include "config/paper_table.h"
#include "hpgl/job_header.h"
#include "hpgl/pens.h"
#include "hpgl/plot_lifecycle.h"
#include "hpgl/plot_area.h"
#include "hpgl/vectors.h"
#include "raster/image_request.h"
#include "raster/mmr.h"
#include "raster/raster_output.h"
#include "raster/tone_curve.h"
#include "ui/dialogs_reset.h"
#include "console.h"
#include "host_services.h"
#include "message_table.h"
#include "output_buffer.h"
#include "plot_state.h"

void driver_reset() {
    output_reset();
    plot_state_reset();
    console_reset();
    messages_reset();
    host_services_reset();
    driver_alloc_reset();
    config_record_reset();
    model_table_reset();
    paper_table_reset();
    plot_area_reset();
    vectors_reset();
    pens_reset();
    plot_lifecycle_reset();
    job_header_reset();
    tone_reset();
    raster_reset();
    image_reset();
    mmr_reset();
    dialogs_reset();
}
