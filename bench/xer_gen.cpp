// xer-gen: writes an XER export of about the size asked for, shaped like real
// ones: an ERMHDR line, two dozen tables with their field lines and rows, memo
// fields of a few KB, calendar data, single-byte code-page bytes (0x80-0xFF),
// DEL pairs standing for line breaks inside fields, a POBS table after OBS, CR LF
// line ends and a closing %E. The same seed and size give the same bytes on
// every machine: the random numbers come from our own generator, not from the
// standard library's distributions, which differ between implementations.
//
// Usage: xer-gen [--seed N] SIZE OUTPUT    (SIZE in bytes, or with K, M or G: KiB, MiB, GiB)
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to bound - 1.
    std::uint64_t Below(std::uint64_t bound) { return Next() % bound; }
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) { return low + Below(high - low + 1); }
    bool Percent(unsigned chance) { return Below(100) < chance; }

private:
    std::uint64_t m_state;
};

// Buffered output that counts what it has written. A failed write ends the
// program and removes the unfinished file.
class Output {
public:
    Output(std::FILE* file, const char* path) : m_file(file), m_path(path) { m_buffer.reserve(kBufferSize); }

    void Put(std::string_view text)
    {
        if (m_buffer.size() + text.size() > kBufferSize) {
            Flush();
        }
        m_buffer.append(text);
        m_written += text.size();
    }
    void Put(char c) { Put(std::string_view(&c, 1)); }
    void PutNumber(std::uint64_t value)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, value);
        Put(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }
    void PutLineEnd() { Put("\r\n"); }

    void Flush()
    {
        if (!m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size()) {
            Fail();
        }
        m_buffer.clear();
    }
    void Close()
    {
        Flush();
        if (std::fclose(m_file) != 0) {
            m_file = nullptr;
            Fail();
        }
    }
    std::uint64_t Written() const { return m_written; }

private:
    static constexpr std::size_t kBufferSize = 1 << 20;

    [[noreturn]] void Fail()
    {
        std::perror(m_path);
        if (m_file) {
            std::fclose(m_file);
        }
        std::remove(m_path);
        std::exit(1);
    }

    std::FILE* m_file;
    const char* m_path;
    std::string m_buffer;
    std::uint64_t m_written = 0;
};

constexpr std::string_view kDelPair = "\x7f\x7f";

constexpr std::string_view kWords[] = {
    "Excavation", "Foundation", "Footings", "Slab", "Formwork", "Rebar", "Pour", "Cure", "Columns",
    "Beams", "Steel", "Erection", "Roof", "Cladding", "Glazing", "Curtain", "Wall", "Drywall",
    "Partitions", "Ceilings", "Flooring", "Tiling", "Painting", "Electrical", "First", "Fix",
    "Second", "Plumbing", "Drainage", "HVAC", "Ductwork", "Sprinklers", "Lifts", "Escalators",
    "Commissioning", "Testing", "Handover", "Snagging", "Survey", "Design", "Review", "Approval",
    "Submittal", "Procurement", "Delivery", "Install", "Level", "Zone", "Block", "North", "South",
    "East", "West", "Podium", "Basement", "Car", "Park", "Landscaping", "Paving", "Kerbs",
    "Utilities", "Substation", "Generator", "Fire", "Alarm", "Security", "Access", "Control",
    "Shop", "Drawings", "Mock-up", "Inspection", "Permit", "Mobilisation", "Demobilisation",
    "Scaffold", "Crane", "Hoist", "Temporary", "Works", "Piling", "Retaining", "Waterproofing"};

// Words as a machine with a single-byte code page writes them.
constexpr std::string_view kCodePageWords[] = {
    "Caf\xe9", "Fa\xe7" "ade", "Stra\xdf" "e", "\x93" "Zone A\x94", "Se\xf1or", "Gr\xfcn",
    "\xa3" "500", "\x80" "1200", "\xa5" "30k", "r\xe9vis\xe9", "\x96", "Ma\xeetre", "\xc5land"};

constexpr std::string_view kUsers[] = {"admin", "planner", "jmarsh", "kokafor", "lchen", "sbrandt", "site_eng"};

// How one field's values are made.
enum class Kind {
    Id,        // the row's own number: the table's base plus the row index
    Parent,    // the number of an earlier row of the same table, blank in the first
    Number,    // a whole number from low to high
    Amount,    // a number with two decimals, from low to high
    Flag,      // Y or N
    Code,      // one of the '|'-separated choices
    Date,      // a date and time
    MaybeDate, // a date and time, or blank
    Name,      // a few words, now and then one in the code page
    ShortName, // a dotted activity code
    Guid,      // 22 characters of base 64
    User,      // a user name
    Symbol,    // a currency symbol, mostly single code-page bytes
    Blank,     // empty
    Memo,      // an HTML note of a few KB with DEL pairs for its line breaks
    Calendar,  // the nested calendar description, with DEL pairs
};

struct Field {
    const char* name;
    Kind kind;
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    const char* choices = nullptr;
};

struct Table {
    const char* name;
    std::uint64_t idBase;
    // Tables with a share grow with the file; the others have a fixed number of rows.
    unsigned fixedRows;
    unsigned share;
    std::vector<Field> fields;
};

using K = Kind;

const std::vector<Table>& Tables()
{
    static const std::vector<Table> tables = {
        {"CURRTYPE", 1, 18, 0,
         {{"curr_id", K::Id}, {"decimal_digit_cnt", K::Number, 0, 3}, {"curr_symbol", K::Symbol},
          {"decimal_symbol", K::Code, 0, 0, ".|,"}, {"digit_group_symbol", K::Code, 0, 0, ",|.| "},
          {"pos_curr_fmt_type", K::Code, 0, 0, "#1.1|1.1#|# 1.1"}, {"neg_curr_fmt_type", K::Code, 0, 0, "(#1.1)|-#1.1"},
          {"curr_type", K::Code, 0, 0, "Pound Sterling|Euro|Yen|US Dollar|Dirham|Rand"},
          {"curr_short_name", K::Code, 0, 0, "GBP|EUR|JPY|USD|AED|ZAR"}, {"group_digit_cnt", K::Number, 3, 3},
          {"base_exch_rate", K::Amount, 1, 150}}},
        {"FINDATES", 10, 8, 0,
         {{"fin_dates_id", K::Id}, {"fin_dates_name", K::Name}, {"start_date", K::Date}, {"end_date", K::Date}}},
        {"MEMOTYPE", 20, 5, 0,
         {{"memo_type_id", K::Id}, {"seq_num", K::Number, 0, 20}, {"eps_flag", K::Flag}, {"proj_flag", K::Flag},
          {"wbs_flag", K::Flag}, {"task_flag", K::Flag}, {"memo_type", K::Code, 0, 0, "Notes|Minutes|Issues|Risks|Delays"}}},
        {"OBS", 500, 4, 0,
         {{"obs_id", K::Id}, {"parent_obs_id", K::Parent}, {"guid", K::Guid}, {"seq_num", K::Number, 0, 50},
          {"obs_name", K::Name}, {"obs_descr", K::Name}}},
        {"POBS", 100, 10, 0,
         {{"pobs_id", K::Id}, {"pobs_parent_id", K::Parent}, {"seq_num", K::Number, 0, 9},
          {"pobs_name", K::Code, 0, 0, "POBS_Root|Site|Office|Design Team|Subcontractors"},
          {"pobs_descr", K::Name}, {"pobs_manager", K::Blank}}},
        {"PCATTYPE", 60, 12, 0,
         {{"proj_catg_type_id", K::Id}, {"seq_num", K::Number, 0, 30}, {"proj_catg_short_len", K::Number, 4, 20},
          {"proj_catg_type", K::Name}}},
        {"RCATTYPE", 80, 4, 0,
         {{"rsrc_catg_type_id", K::Id}, {"seq_num", K::Number, 0, 10}, {"rsrc_catg_short_len", K::Number, 4, 20},
          {"rsrc_catg_type", K::Name}}},
        {"UDFTYPE", 300, 9, 0,
         {{"udf_type_id", K::Id}, {"table_name", K::Code, 0, 0, "TASK|PROJWBS|RSRC|TASKRSRC"},
          {"udf_type_name", K::Code, 0, 0, "user_field_1|user_field_2|user_text_1|user_date_1"},
          {"udf_type_label", K::Name}, {"logical_data_type", K::Code, 0, 0, "FT_TEXT|FT_INT|FT_MONEY|FT_START_DATE"},
          {"super_flag", K::Flag}, {"indicator_expression", K::Blank}, {"summary_indicator_expression", K::Blank}}},
        {"ACCOUNT", 700, 6, 0,
         {{"acct_id", K::Id}, {"parent_acct_id", K::Parent}, {"acct_seq_num", K::Number, 0, 40},
          {"acct_name", K::Name}, {"acct_short_name", K::ShortName}, {"acct_descr", K::Memo}}},
        {"ROLES", 900, 8, 0,
         {{"role_id", K::Id}, {"parent_role_id", K::Parent}, {"seq_num", K::Number, 0, 40}, {"role_name", K::Name},
          {"role_short_name", K::ShortName}, {"pobs_id", K::Number, 100, 109}, {"def_cost_qty_link_flag", K::Flag},
          {"cost_qty_type", K::Code, 0, 0, "QT_Hour|QT_Day"}, {"role_descr", K::Blank}, {"last_checksum", K::Blank}}},
        {"PROJECT", 4000, 1, 0,
         {{"proj_id", K::Id}, {"fy_start_month_num", K::Number, 1, 12}, {"chng_eff_cmp_pct_flag", K::Flag},
          {"rsrc_self_add_flag", K::Flag}, {"allow_complete_flag", K::Flag}, {"rsrc_multi_assign_flag", K::Flag},
          {"checkout_flag", K::Flag}, {"project_flag", K::Flag}, {"step_complete_flag", K::Flag},
          {"cost_qty_recalc_flag", K::Flag}, {"sum_only_flag", K::Flag}, {"batch_sum_flag", K::Flag},
          {"name_sep_char", K::Code, 0, 0, ".|-"}, {"def_complete_pct_type", K::Code, 0, 0, "CP_Drtn|CP_Phys"},
          {"proj_short_name", K::ShortName}, {"acct_id", K::Blank}, {"orig_proj_id", K::Blank},
          {"source_proj_id", K::Blank}, {"base_type_id", K::Blank}, {"clndr_id", K::Number, 600, 604},
          {"sum_base_proj_id", K::Blank}, {"task_code_base", K::Number, 1000, 1000},
          {"task_code_step", K::Number, 10, 10}, {"priority_num", K::Number, 1, 10},
          {"wbs_max_sum_level", K::Number, 0, 5}, {"strgy_priority_num", K::Number, 100, 500},
          {"last_checksum", K::Blank}, {"critical_drtn_hr_cnt", K::Number, 0, 0},
          {"def_cost_per_qty", K::Amount, 0, 200}, {"last_recalc_date", K::Date}, {"plan_start_date", K::Date},
          {"plan_end_date", K::Date}, {"scd_end_date", K::Date}, {"add_date", K::Date},
          {"last_tasksum_date", K::Blank}, {"fcst_start_date", K::Blank}, {"def_duration_type", K::Code, 0, 0, "DT_FixedDUR2|DT_FixedQty"},
          {"task_code_prefix", K::Code, 0, 0, "A|ACT|T"}, {"guid", K::Guid}, {"def_qty_type", K::Code, 0, 0, "QT_Hour"},
          {"add_by_name", K::User}, {"web_local_root_path", K::Blank}, {"proj_url", K::Blank},
          {"def_rate_type", K::Code, 0, 0, "COST_PER_QTY"}, {"add_act_remain_flag", K::Flag},
          {"act_this_per_link_flag", K::Flag}, {"def_task_type", K::Code, 0, 0, "TT_Task"},
          {"act_pct_link_flag", K::Flag}, {"critical_path_type", K::Code, 0, 0, "CT_TotFloat|CT_DrivPath"},
          {"task_code_prefix_flag", K::Flag}, {"def_rollup_dates_flag", K::Flag}, {"use_project_baseline_flag", K::Flag},
          {"rem_target_link_flag", K::Flag}, {"reset_planned_flag", K::Flag}, {"allow_neg_act_flag", K::Flag},
          {"sum_assign_level", K::Code, 0, 0, "SL_Taskrsrc"}, {"last_fin_dates_id", K::Blank},
          {"fintmpl_id", K::Blank}, {"last_baseline_update_date", K::Blank}, {"cr_external_key", K::Blank},
          {"apply_actuals_date", K::Blank}, {"location_id", K::Blank}, {"loaded_scope_level", K::Number, 7, 7},
          {"export_flag", K::Flag}, {"new_fin_dates_id", K::Blank}, {"baselines_to_export", K::Blank},
          {"baseline_names_to_export", K::Blank}, {"next_data_date", K::Blank}, {"close_period_flag", K::Blank},
          {"sum_refresh_date", K::Blank}, {"trsrcsum_loaded", K::Blank}}},
        {"CALENDAR", 600, 5, 0,
         {{"clndr_id", K::Id}, {"default_flag", K::Flag},
          {"clndr_name", K::Code, 0, 0, "Standard 5 Day Workweek|6 Day Site Week|7 Day Continuous|Night Shift|Holidays UK"},
          {"proj_id", K::Blank}, {"base_clndr_id", K::Blank}, {"last_chng_date", K::Date},
          {"clndr_type", K::Code, 0, 0, "CA_Base|CA_Project"}, {"day_hr_cnt", K::Number, 8, 10},
          {"week_hr_cnt", K::Number, 40, 60}, {"month_hr_cnt", K::Number, 172, 240},
          {"year_hr_cnt", K::Number, 2000, 2900}, {"rsrc_private", K::Flag}, {"clndr_data", K::Calendar}}},
        {"SCHEDOPTIONS", 800, 1, 0,
         {{"schedoptions_id", K::Id}, {"proj_id", K::Number, 4000, 4000},
          {"sched_outer_depend_type", K::Code, 0, 0, "SD_Both"}, {"sched_open_critical_flag", K::Flag},
          {"sched_lag_early_start_flag", K::Flag}, {"sched_retained_logic", K::Flag},
          {"sched_setplantoforecast", K::Flag}, {"sched_float_type", K::Code, 0, 0, "FT_FF|FT_Min"},
          {"sched_calendar_on_relationship_lag", K::Code, 0, 0, "rcal_Predecessor"},
          {"sched_use_expect_end_flag", K::Flag}, {"sched_progress_override", K::Flag},
          {"level_float_thrs_cnt", K::Number, 0, 0}, {"level_outer_assign_flag", K::Flag},
          {"level_outer_assign_priority", K::Number, 1, 5}, {"level_over_alloc_pct", K::Number, 25, 25},
          {"level_within_float_flag", K::Flag}, {"level_keep_sched_date_flag", K::Flag},
          {"level_all_rsrc_flag", K::Flag}, {"sched_use_project_end_date_for_float", K::Flag},
          {"enable_multiple_longest_path_calc", K::Flag}, {"limit_multiple_longest_path_calc", K::Flag},
          {"max_multiple_longest_path", K::Number, 10, 10}, {"use_total_float_multiple_longest_paths", K::Flag},
          {"key_activity_for_multiple_longest_paths", K::Blank}, {"LevelPriorityList", K::Code, 0, 0, "priority_type,ASC"}}},
        {"PROJWBS", 20000, 0, 4,
         {{"wbs_id", K::Id}, {"proj_id", K::Number, 4000, 4000}, {"obs_id", K::Number, 500, 503},
          {"seq_num", K::Number, 0, 500}, {"est_wt", K::Number, 1, 1}, {"proj_node_flag", K::Flag},
          {"sum_data_flag", K::Flag}, {"status_code", K::Code, 0, 0, "WS_Open|WS_Planned|WS_Closed"},
          {"wbs_short_name", K::ShortName}, {"wbs_name", K::Name}, {"phase_id", K::Blank},
          {"parent_wbs_id", K::Parent}, {"ev_user_pct", K::Number, 4, 4}, {"ev_etc_user_value", K::Amount, 0, 1},
          {"orig_cost", K::Amount, 0, 90000}, {"indep_remain_total_cost", K::Amount, 0, 0},
          {"ann_dscnt_rate_pct", K::Blank}, {"dscnt_period_type", K::Blank}, {"indep_remain_work_qty", K::Blank},
          {"anticip_start_date", K::MaybeDate}, {"anticip_end_date", K::MaybeDate},
          {"ev_compute_type", K::Code, 0, 0, "EC_Cmp_pct|EC_Pct"}, {"ev_etc_compute_type", K::Code, 0, 0, "EE_Rem_hr|EE_PF_1"},
          {"guid", K::Guid}, {"tmpl_guid", K::Blank}, {"plan_open_state", K::Blank}}},
        {"RSRC", 3000, 30, 0,
         {{"rsrc_id", K::Id}, {"parent_rsrc_id", K::Parent}, {"clndr_id", K::Number, 600, 604},
          {"role_id", K::Number, 900, 907}, {"shift_id", K::Blank}, {"user_id", K::Blank}, {"pobs_id", K::Blank},
          {"guid", K::Guid}, {"rsrc_seq_num", K::Number, 0, 100}, {"email_addr", K::Blank},
          {"employee_code", K::Blank}, {"office_phone", K::Blank}, {"other_phone", K::Blank},
          {"rsrc_name", K::Name}, {"rsrc_short_name", K::ShortName}, {"rsrc_title_name", K::Blank},
          {"def_qty_per_hr", K::Number, 1, 1}, {"cost_qty_type", K::Code, 0, 0, "QT_Hour"},
          {"ot_factor", K::Blank}, {"active_flag", K::Flag}, {"auto_compute_act_flag", K::Flag},
          {"def_cost_qty_link_flag", K::Flag}, {"ot_flag", K::Flag}, {"curr_id", K::Number, 1, 18},
          {"unit_id", K::Blank}, {"rsrc_type", K::Code, 0, 0, "RT_Labor|RT_Equip|RT_Mat"}, {"location_id", K::Blank},
          {"rsrc_notes", K::Blank}, {"load_tasks_flag", K::Blank}, {"level_flag", K::Flag}, {"last_checksum", K::Blank}}},
        {"ACTVTYPE", 1200, 8, 0,
         {{"actv_code_type_id", K::Id}, {"actv_short_len", K::Number, 4, 20}, {"seq_num", K::Number, 0, 20},
          {"actv_code_type", K::Name}, {"proj_id", K::Number, 4000, 4000}, {"wbs_id", K::Blank},
          {"actv_code_type_scope", K::Code, 0, 0, "AS_Project|AS_Global"}}},
        {"RSRCRATE", 3500, 30, 0,
         {{"rsrc_rate_id", K::Id}, {"rsrc_id", K::Number, 3000, 3029}, {"max_qty_per_hr", K::Amount, 1, 4},
          {"cost_per_qty", K::Amount, 10, 400}, {"start_date", K::Date}, {"shift_period_id", K::Blank},
          {"cost_per_qty2", K::Amount, 0, 0}, {"cost_per_qty3", K::Amount, 0, 0},
          {"cost_per_qty4", K::Amount, 0, 0}, {"cost_per_qty5", K::Amount, 0, 0}}},
        {"TASK", 100000, 0, 40,
         {{"task_id", K::Id}, {"proj_id", K::Number, 4000, 4000}, {"wbs_id", K::Number, 20000, 20400},
          {"clndr_id", K::Number, 600, 604}, {"phys_complete_pct", K::Number, 0, 100},
          {"rev_fdbk_flag", K::Flag}, {"est_wt", K::Number, 1, 1}, {"lock_plan_flag", K::Flag},
          {"auto_compute_act_flag", K::Flag}, {"complete_pct_type", K::Code, 0, 0, "CP_Drtn|CP_Phys|CP_Units"},
          {"task_type", K::Code, 0, 0, "TT_Task|TT_Task|TT_Task|TT_Mile|TT_FinMile|TT_LOE|TT_Rsrc"},
          {"duration_type", K::Code, 0, 0, "DT_FixedDUR2|DT_FixedQty|DT_FixedRate"},
          {"status_code", K::Code, 0, 0, "TK_NotStart|TK_Active|TK_Complete"}, {"task_code", K::ShortName},
          {"task_name", K::Name}, {"rsrc_id", K::Blank}, {"total_float_hr_cnt", K::Number, 0, 900},
          {"free_float_hr_cnt", K::Number, 0, 200}, {"remain_drtn_hr_cnt", K::Number, 0, 400},
          {"act_work_qty", K::Number, 0, 0}, {"remain_work_qty", K::Number, 0, 0}, {"target_work_qty", K::Number, 0, 0},
          {"target_drtn_hr_cnt", K::Number, 8, 400}, {"target_equip_qty", K::Number, 0, 0},
          {"act_equip_qty", K::Number, 0, 0}, {"remain_equip_qty", K::Number, 0, 0},
          {"cstr_date", K::MaybeDate}, {"act_start_date", K::MaybeDate}, {"act_end_date", K::MaybeDate},
          {"late_start_date", K::MaybeDate}, {"late_end_date", K::MaybeDate}, {"expect_end_date", K::Blank},
          {"early_start_date", K::Date}, {"early_end_date", K::Date}, {"restart_date", K::Date},
          {"reend_date", K::Date}, {"target_start_date", K::Date}, {"target_end_date", K::Date},
          {"review_end_date", K::Blank}, {"rem_late_start_date", K::MaybeDate}, {"rem_late_end_date", K::MaybeDate},
          {"cstr_type", K::Code, 0, 0, "|||CS_MSOA|CS_MEOB|CS_ALAP"}, {"priority_type", K::Code, 0, 0, "PT_Normal|PT_High|PT_Low"},
          {"suspend_date", K::Blank}, {"resume_date", K::Blank}, {"float_path", K::Blank},
          {"float_path_order", K::Blank}, {"guid", K::Guid}, {"tmpl_guid", K::Blank}, {"cstr_date2", K::Blank},
          {"cstr_type2", K::Blank}, {"driving_path_flag", K::Flag}, {"act_this_per_work_qty", K::Number, 0, 0},
          {"act_this_per_equip_qty", K::Number, 0, 0}, {"external_early_start_date", K::Blank},
          {"external_late_end_date", K::Blank}, {"create_date", K::Date}, {"update_date", K::Date},
          {"create_user", K::User}, {"update_user", K::User}, {"location_id", K::Blank}}},
        {"ACTVCODE", 1300, 40, 0,
         {{"actv_code_id", K::Id}, {"parent_actv_code_id", K::Parent}, {"actv_code_type_id", K::Number, 1200, 1207},
          {"actv_code_name", K::Name}, {"short_name", K::ShortName}, {"seq_num", K::Number, 0, 200},
          {"color", K::Number, 0, 16777215}, {"total_assignments", K::Number, 0, 900}}},
        {"TASKMEMO", 50000, 0, 12,
         {{"memo_id", K::Id}, {"task_id", K::Number, 100000, 190000}, {"memo_type_id", K::Number, 20, 24},
          {"proj_id", K::Number, 4000, 4000}, {"task_memo", K::Memo}}},
        {"TASKPRED", 300000, 0, 15,
         {{"task_pred_id", K::Id}, {"task_id", K::Number, 100000, 190000}, {"pred_task_id", K::Number, 100000, 190000},
          {"proj_id", K::Number, 4000, 4000}, {"pred_proj_id", K::Number, 4000, 4000},
          {"pred_type", K::Code, 0, 0, "PR_FS|PR_FS|PR_FS|PR_SS|PR_FF|PR_SF"}, {"lag_hr_cnt", K::Number, 0, 40},
          {"float_path", K::Blank}, {"aref", K::Date}, {"arls", K::Date}}},
        {"TASKRSRC", 600000, 0, 17,
         {{"taskrsrc_id", K::Id}, {"task_id", K::Number, 100000, 190000}, {"proj_id", K::Number, 4000, 4000},
          {"cost_qty_link_flag", K::Flag}, {"role_id", K::Blank}, {"acct_id", K::Blank},
          {"rsrc_id", K::Number, 3000, 3029}, {"pobs_id", K::Blank}, {"skill_level", K::Blank},
          {"remain_qty", K::Number, 0, 900}, {"target_qty", K::Number, 0, 900},
          {"remain_qty_per_hr", K::Amount, 0, 8}, {"target_lag_drtn_hr_cnt", K::Number, 0, 0},
          {"target_qty_per_hr", K::Amount, 0, 8}, {"act_ot_qty", K::Number, 0, 0}, {"act_reg_qty", K::Number, 0, 200},
          {"relag_drtn_hr_cnt", K::Number, 0, 0}, {"ot_factor", K::Number, 0, 0},
          {"cost_per_qty", K::Amount, 0, 400}, {"target_cost", K::Amount, 0, 90000},
          {"act_reg_cost", K::Amount, 0, 9000}, {"act_ot_cost", K::Amount, 0, 0}, {"remain_cost", K::Amount, 0, 90000},
          {"act_start_date", K::MaybeDate}, {"act_end_date", K::MaybeDate}, {"restart_date", K::Date},
          {"reend_date", K::Date}, {"target_start_date", K::Date}, {"target_end_date", K::Date},
          {"rem_late_start_date", K::MaybeDate}, {"rem_late_end_date", K::MaybeDate},
          {"rollup_dates_flag", K::Flag}, {"target_crv", K::Blank}, {"remain_crv", K::Blank},
          {"actual_crv", K::Blank}, {"ts_pend_act_end_flag", K::Flag}, {"guid", K::Guid},
          {"rate_type", K::Code, 0, 0, "COST_PER_QTY|COST_PER_QTY2"}, {"act_this_per_cost", K::Amount, 0, 0},
          {"act_this_per_qty", K::Number, 0, 0}, {"curv_id", K::Blank},
          {"rsrc_type", K::Code, 0, 0, "RT_Labor|RT_Equip|RT_Mat"}, {"cost_per_qty_source_type", K::Code, 0, 0, "ST_Rsrc|ST_Custom"},
          {"create_user", K::User}, {"create_date", K::Date}, {"has_rsrchours", K::Flag}, {"taskrsrc_sum_id", K::Blank}}},
        {"TASKACTV", 0, 0, 7,
         {{"task_id", K::Number, 100000, 190000}, {"actv_code_type_id", K::Number, 1200, 1207},
          {"actv_code_id", K::Number, 1300, 1339}, {"proj_id", K::Number, 4000, 4000}}},
        {"UDFVALUE", 0, 0, 5,
         {{"udf_type_id", K::Number, 300, 308}, {"fk_id", K::Number, 100000, 190000}, {"proj_id", K::Number, 4000, 4000},
          {"udf_date", K::MaybeDate}, {"udf_number", K::Blank}, {"udf_text", K::Name}, {"udf_code_id", K::Blank}}},
    };
    return tables;
}

class Generator {
public:
    Generator(Output& out, std::uint64_t seed) : m_out(out), m_random(seed)
    {
        MakeDates();
    }

    void Write(std::uint64_t targetSize)
    {
        m_out.Put("ERMHDR\t20.12\t2024-03-18\tProject\tplanner\tSite Planner\tdbMain\tProject Management\tGBP");
        m_out.PutLineEnd();
        const auto& tables = Tables();
        unsigned sharesLeft = 0;
        for (const Table& table : tables) {
            sharesLeft += table.share;
        }
        constexpr std::uint64_t kEndMarkerSize = 4;  // "%E" CR LF
        for (const Table& table : tables) {
            // Each growing table takes its share of what is left, so the last one
            // brings the file to the size asked for, within a row.
            std::uint64_t budget = 0;
            if (table.share != 0) {
                const std::uint64_t used = m_out.Written() + kEndMarkerSize;
                const std::uint64_t left = targetSize > used ? targetSize - used : 0;
                budget = left / sharesLeft * table.share + left % sharesLeft * table.share / sharesLeft;
                sharesLeft -= table.share;
            }
            WriteTable(table, budget);
        }
        m_out.Put("%E");
        m_out.PutLineEnd();
    }

private:
    void WriteTable(const Table& table, std::uint64_t budget)
    {
        m_out.Put("%T\t");
        m_out.Put(table.name);
        m_out.PutLineEnd();
        m_out.Put("%F");
        for (const Field& field : table.fields) {
            m_out.Put('\t');
            m_out.Put(field.name);
        }
        m_out.PutLineEnd();
        const std::uint64_t start = m_out.Written();
        std::uint64_t row = 0;
        do {
            m_out.Put("%R");
            for (const Field& field : table.fields) {
                m_out.Put('\t');
                WriteValue(table, field, row);
            }
            m_out.PutLineEnd();
            ++row;
        } while (table.share != 0 ? m_out.Written() - start < budget : row < table.fixedRows);
    }

    void WriteValue(const Table& table, const Field& field, std::uint64_t row)
    {
        switch (field.kind) {
        case Kind::Id:
            m_out.PutNumber(table.idBase + row);
            break;
        case Kind::Parent:
            if (row != 0) {
                m_out.PutNumber(table.idBase + m_random.Below(row));
            }
            break;
        case Kind::Number:
            m_out.PutNumber(m_random.Between(field.low, field.high));
            break;
        case Kind::Amount: {
            const std::uint64_t cents = m_random.Between(field.low * 100, field.high * 100);
            m_out.PutNumber(cents / 100);
            m_out.Put('.');
            m_out.Put(static_cast<char>('0' + cents / 10 % 10));
            m_out.Put(static_cast<char>('0' + cents % 10));
            break;
        }
        case Kind::Flag:
            m_out.Put(m_random.Percent(50) ? 'Y' : 'N');
            break;
        case Kind::Code:
            WriteChoice(field.choices);
            break;
        case Kind::MaybeDate:
            if (m_random.Percent(50)) {
                break;
            }
            [[fallthrough]];
        case Kind::Date:
            m_out.Put(m_dates[m_random.Below(m_dates.size())]);
            break;
        case Kind::Name:
            WriteWords(2 + m_random.Below(4));
            break;
        case Kind::ShortName:
            m_out.Put(kWords[m_random.Below(std::size(kWords))].substr(0, 2));
            m_out.Put('.');
            m_out.PutNumber(m_random.Between(1, 40));
            m_out.Put('.');
            m_out.PutNumber(m_random.Between(100, 990));
            break;
        case Kind::Guid:
            WriteGuid();
            break;
        case Kind::User:
            m_out.Put(kUsers[m_random.Below(std::size(kUsers))]);
            break;
        case Kind::Symbol: {
            static constexpr std::string_view kSymbols[] = {"\xa3", "\x80", "\xa5", "$", "R", "\xa4", "Dh"};
            m_out.Put(kSymbols[m_random.Below(std::size(kSymbols))]);
            break;
        }
        case Kind::Blank:
            break;
        case Kind::Memo:
            WriteMemo();
            break;
        case Kind::Calendar:
            WriteCalendar();
            break;
        }
    }

    void WriteChoice(const char* choices)
    {
        std::size_t count = 1;
        for (const char* p = choices; *p; ++p) {
            count += *p == '|';
        }
        std::size_t pick = m_random.Below(count);
        const char* start = choices;
        while (pick-- != 0) {
            start = std::strchr(start, '|') + 1;
        }
        const char* end = std::strchr(start, '|');
        m_out.Put(std::string_view(start, end ? static_cast<std::size_t>(end - start) : std::strlen(start)));
    }

    void WriteWords(std::uint64_t count)
    {
        for (std::uint64_t i = 0; i < count; ++i) {
            if (i != 0) {
                m_out.Put(' ');
            }
            if (m_random.Percent(4)) {
                m_out.Put(kCodePageWords[m_random.Below(std::size(kCodePageWords))]);
            } else {
                m_out.Put(kWords[m_random.Below(std::size(kWords))]);
            }
        }
    }

    void WriteGuid()
    {
        static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        char guid[22];
        std::uint64_t bits = m_random.Next();
        for (int i = 0; i < 22; ++i) {
            if (i == 10) {
                bits = m_random.Next();
            }
            guid[i] = kDigits[bits & 63];
            bits >>= 6;
        }
        m_out.Put(std::string_view(guid, sizeof guid));
    }

    // A note as an HTML fragment: paragraphs of words, DEL pairs where the
    // author pressed Enter, quotes doubled inside the field.
    void WriteMemo()
    {
        m_out.Put("<html><head><META content=\"\"text/html; charset=windows-1252\"\" http-equiv=Content-Type></head><body>");
        const std::uint64_t paragraphs = m_random.Between(3, 14);
        for (std::uint64_t p = 0; p < paragraphs; ++p) {
            m_out.Put(kDelPair);
            m_out.Put("<p>");
            if (m_random.Percent(30)) {
                m_out.Put(m_dates[m_random.Below(m_dates.size())]);
                m_out.Put(" ");
                m_out.Put(kUsers[m_random.Below(std::size(kUsers))]);
                m_out.Put(": ");
            }
            WriteWords(m_random.Between(20, 60));
            if (m_random.Percent(20)) {
                m_out.Put(" see \"\"RFI ");
                m_out.PutNumber(m_random.Between(1, 900));
                m_out.Put("\"\" \x96 agreed on site.");
            }
            m_out.Put("</p>");
        }
        m_out.Put(kDelPair);
        m_out.Put("</body></html>");
    }

    // The working week and a list of exceptions, nested in parentheses, one
    // entry a line, the lines joined by DEL pairs.
    void WriteCalendar()
    {
        m_out.Put("(0||CalendarData()(");
        m_out.Put(kDelPair);
        m_out.Put("  (0||DaysOfWeek()(");
        for (int day = 1; day <= 7; ++day) {
            m_out.Put(kDelPair);
            m_out.Put("    (0||");
            m_out.PutNumber(static_cast<std::uint64_t>(day));
            m_out.Put("()(");
            if (day != 1 && day != 7) {
                m_out.Put(kDelPair);
                m_out.Put("      (0||0(s|08:00|f|12:00)())");
                m_out.Put(kDelPair);
                m_out.Put("      (0||1(s|13:00|f|17:00)())");
            }
            m_out.Put("))");
        }
        m_out.Put(")");
        m_out.Put(kDelPair);
        m_out.Put("  (0||Exceptions()(");
        const std::uint64_t holidays = m_random.Between(10, 60);
        for (std::uint64_t h = 0; h < holidays; ++h) {
            m_out.Put(kDelPair);
            m_out.Put("    (0||");
            m_out.PutNumber(h);
            m_out.Put("(d|");
            m_out.PutNumber(m_random.Between(44000, 47000));
            m_out.Put(")())");
        }
        m_out.Put("))");
        m_out.Put(kDelPair);
        m_out.Put(")");
    }

    // Dates are drawn from a pool made once: formatting each one would cost
    // more than all the rest of a row.
    void MakeDates()
    {
        static constexpr const char* kTimes[] = {"00:00", "08:00", "12:00", "16:00", "17:00"};
        for (int i = 0; i < 4096; ++i) {
            const int year = 2022 + static_cast<int>(m_random.Below(6));
            const int month = 1 + static_cast<int>(m_random.Below(12));
            const int day = 1 + static_cast<int>(m_random.Below(28));
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02d %s", year, month, day,
                          kTimes[m_random.Below(std::size(kTimes))]);
            m_dates.emplace_back(text);
        }
    }

    Output& m_out;
    Random m_random;
    std::vector<std::string> m_dates;
};

// A whole number, with a unit letter when `units` allows it.
bool ParseNumber(const char* text, std::uint64_t& value, bool units)
{
    const char* end = text + std::strlen(text);
    const auto result = std::from_chars(text, end, value);
    if (result.ec != std::errc() || result.ptr == text) {
        return false;
    }
    std::uint64_t unit = 1;
    if (units && end - result.ptr == 1) {
        switch (*result.ptr) {
        case 'K': unit = 1ULL << 10; break;
        case 'M': unit = 1ULL << 20; break;
        case 'G': unit = 1ULL << 30; break;
        default: return false;
        }
    } else if (result.ptr != end) {
        return false;
    }
    value *= unit;
    return true;
}

int Usage()
{
    std::fputs("usage: xer-gen [--seed N] SIZE OUTPUT\n"
               "  SIZE in bytes, or with K, M or G for KiB, MiB, GiB\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::uint64_t seed = 1;
    int next = 1;
    if (next + 1 < argc && std::strcmp(argv[next], "--seed") == 0) {
        if (!ParseNumber(argv[next + 1], seed, false)) {
            return Usage();
        }
        next += 2;
    }
    std::uint64_t size = 0;
    if (argc - next != 2 || !ParseNumber(argv[next], size, true)) {
        return Usage();
    }
    const char* path = argv[next + 1];
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        std::perror(path);
        return 1;
    }
    Output out(file, path);
    Generator(out, seed).Write(size);
    out.Close();
    return 0;
}
